#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dialog/dialog_state.h"

/// Entry point of every datagram the link socket receives, from the sender at dotted `address`
/// and `port`. The handler owns `datagram` for the whole call: boxes it opens run nested event
/// loops that receive further datagrams, and every handler below decodes from these bytes
/// alone, so a datagram that comes meanwhile (whatever buffer it was read into) never changes
/// the one being handled.
///
/// An empty datagram, one beyond the 4096-byte receive buffer and one that is no reply are
/// dropped without a message; the socket stays open. While an adapter is chosen in the device
/// list, replies from any other sender only add that sender to the list. Accepted replies are
/// dispatched by their code: the identification reply (starting the settings read, or the
/// write pump when a write probe is pending and the reply is the write adapter's), settings-image
/// pages, erase and page-write acknowledgements (under `WriteQueueLock`, acted on only when
/// they come from the write's adapter and echo the request the pump awaits: an erase starts the
/// settle time, a page status 0 ends the write with string 110, the last page's status resets
/// the write's adapter, shows string 111 and reads the settings again)
/// and the REQ_WRITE_VIN result (only while this run's VIN write waits for it). Every reply's
/// sender is learned.
void OnReceive(DialogState& state, std::vector<uint8_t> datagram, const std::string& address,
               uint16_t port);

/// Text that names a reply's sender and its device-list entry: the dotted address, with
/// ":port" behind it when the port is not 22.
std::string SourceText(const std::string& address, uint16_t port);

/// Adds `source` to the device list unless it is known already; when the list has no chosen
/// entry, its first entry is then chosen (without the selection-change handler running).
void AddDeviceAddress(DialogState& state, const std::string& source);

/// "Get settings" (button 1019, and a choice in the device list): empties the identification
/// line, resets the form, forgets the image read and sends REQ_READ_VIN to the chosen adapter,
/// or to every target when none is chosen. While a write to another adapter than the one the
/// list now names is queued, `HoldWriteTarget` decides first: the list goes back to the write's
/// adapter unless the user aborts the write.
void OnGetSettings(DialogState& state);
