#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "dialog/dialog_state.h"

/// Button 1022: asks whether to abandon an unfinished write, stops silently with no adapter
/// chosen, shows string 152 until the adapter's settings have been read (and for an image that
/// would pass the settings area, which ends at page 0x7FF), then asks the old and
/// the new password twice (string 145 when the two new ones differ). The settings image last
/// read is queued for writing back from page 0x700 with the new password in its password field,
/// the old one authorising every request of the job (it becomes `WritePassword`).
void OnChangeDevicePassword(DialogState& state);

/// An identification number typed by the user: hexadecimal as "%x" reads it (see ScanHex32);
/// nothing for a text that does not convert, a number beyond 32 bits or 0.
std::optional<uint32_t> ParseVinText(std::u16string_view text);

/// Button 1025: asks for the number (caption string 146; string 147 when it is not accepted by
/// ParseVinText) and sends REQ_WRITE_VIN with it to the chosen adapter, or to every request
/// target with none chosen, marking `VinWritePending` so that its reply is acted on. Asks nothing
/// else and leaves the write queue alone.
void OnAssignVin(DialogState& state);
