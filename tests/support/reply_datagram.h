#pragma once
#include <cstdint>
#include <vector>

/// A reply datagram as an adapter frames it: the reply magic words 0x84857534 and 0x7B7A8ACB,
/// the echoed request word, then `payload`. Written byte by byte here, not with the program's
/// framing code, so that a fault in one shows against the other.
std::vector<uint8_t> ReplyDatagram(uint32_t requestWord, const std::vector<uint8_t>& payload = {});

/// Appends `value` little-endian, in `bytes` bytes (1 to 4).
void AppendLe(std::vector<uint8_t>& out, uint32_t value, int bytes = 4);
