#pragma once
#include <cstdint>
#include <vector>

#include "dialog/dialog_state.h"
#include "model/telemetry_descriptor.h"
#include "support/fake_platform.h"

/// Two-byte band values of family 1, channel 0: the first of the savable frame's four bands.
inline constexpr uint32_t SavableBand = 0x11100000;

/// A frame description that a settings save accepts: the device type, 0x202E, start/stop,
/// polarization, range, the four bands from `SavableBand`, 0x5004 and 0x502C, named
/// "Sound level".
TelemetryDescriptor SavableDescriptor();

/// A working state wired to in-memory fakes, as the dialog wires it to its widgets. The
/// parameter list is left to the test (`State.ParamList`). The window's single-shot timers run
/// the dialog timer handler when `Window.Advance` moves the clock past them.
struct DialogFixture {
    FakeControls Controls;
    FakeClock Clock;
    FakeSocket Socket;
    FakePrompts Prompts;
    FakeProfile Profile;
    FakeWindow Window;
    DialogState State;

    DialogFixture();
    DialogFixture(const DialogFixture&) = delete;
    DialogFixture& operator=(const DialogFixture&) = delete;

    /// Request words of the datagrams sent so far, in order (word 2 of each request header).
    std::vector<uint32_t> SentRequestWords() const;

    /// Fills the form as a settings save accepts it: a MAC address, polarization on, range R2,
    /// DHCP, NTP by the server's time and the host name "monitor.tarnel.net" as server.
    void FillSavableForm();
    /// The adapter's telemetry type becomes `type`, and its channels are laid out from the
    /// type's description in `TelemetryDescriptorMap`.
    void SelectTeleType(uint16_t type);
};
