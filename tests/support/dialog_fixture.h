#pragma once
#include <cstdint>
#include <vector>

#include "dialog/dialog_state.h"
#include "support/fake_platform.h"

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
};
