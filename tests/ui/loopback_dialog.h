#pragma once
#include <cstdint>
#include <functional>

#include "support/fake_platform.h"
#include "ui/velmora_dlg.h"

/// Serves the event loop until `done` holds, for at most `ms` milliseconds of real time (for
/// I/O to arrive, not to time anything); returns `done()`.
bool ServeUntil(const std::function<bool()>& done, int ms);

/// The real dialog, in the English resources, with the user and the profile replaced by fakes,
/// run against a test adapter on loopback.
struct LoopbackDialog {
    FakePrompts Prompts;
    FakeProfile Profile;
    CVelmoraDlg Dialog;

    LoopbackDialog();
    /// Shows the dialog with 127.0.0.1:`port` as its command-line target; true once the adapter
    /// has answered the start's identification request and is the chosen one.
    bool Start(uint16_t port);
    /// Clicks button `id` of the main dialog.
    void Click(int id);
};
