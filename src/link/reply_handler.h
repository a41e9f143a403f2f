#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/dialog_state.h"

/// Entry point of every datagram the link socket receives: `data` holds `length` bytes from the
/// sender at dotted `address` and `port`.
void OnReceive(DialogState& state, const uint8_t* data, size_t length, const std::string& address,
               uint16_t port);
