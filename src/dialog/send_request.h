#pragma once
#include <cstdint>
#include <string>

#include "dialog/dialog_state.h"

/// The device list's text with white space removed at both ends: the chosen adapter's source
/// text, empty when none is chosen.
std::u16string ChosenDevice(const DialogState& state);

/// Frames a request (header, then `length` bytes of `payload`; `payload` may be null when
/// `length` is 0) and sends it over `state.LinkSocket`: to the adapter named by the device
/// list's text ("address" or "address:port", trimmed; port 22 unless a plain decimal number
/// follows the first ':'), or, when that text is empty, once to every request target in list
/// order. Failures are silent.
void SendRequest(DialogState& state, uint32_t requestWord, const uint8_t* payload, uint32_t length);

/// The same, to the adapter that `device` names (a device-list text) instead of the one chosen
/// now: how a write reaches the adapter it was made for.
void SendRequestTo(DialogState& state, std::u16string device, uint32_t requestWord,
                   const uint8_t* payload, uint32_t length);
