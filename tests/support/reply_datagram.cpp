#include "support/reply_datagram.h"

void AppendLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

std::vector<uint8_t> ReplyDatagram(uint32_t requestWord, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out;
    AppendLe(out, 0x84857534);
    AppendLe(out, 0x7B7A8ACB);
    AppendLe(out, requestWord);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}
