#include "link/reply_handler.h"

// Replies are not acted on yet: the socket reads each datagram and hands it here, where it is
// dropped.
void OnReceive(DialogState& /*state*/, const uint8_t* /*data*/, size_t /*length*/,
               const std::string& /*address*/, uint16_t /*port*/) {}
