#pragma once
#include <functional>
#include <string>

#include "dialog/dialog_state.h"
#include "model/tele_desc_format.h"
#include "platform/services.h"

/// Exit code of a run ended by a bad command line.
inline constexpr int BadCommandLineExitCode = 1;

/// What the dialog's start needs besides its working state.
struct DialogInitInputs {
    /// The command line after the program's name.
    std::u16string CommandLineTail;
    /// The language whose description texts are loaded.
    UiLanguage Language = UiLanguage::Russian;
    /// The local network interfaces, for the broadcast targets of an empty command line.
    const INetworkInterfaces* Interfaces = nullptr;
    /// Loads the telemetry description in a language; the program's file by default.
    std::function<bool(const std::u16string& language)> LoadDescription;
};

/// Brings the dialog from its empty working state to running, in this order: the version in the
/// title, the description loaded in the interface language (string 148 on failure, then go on),
/// the telemetry-type list, the parameter list's style and its columns with their stored
/// widths, the request targets, the socket (string 108 on failure, then go on), the form reset,
/// REQ_READ_VIN to every target, "signal tele" disabled for the run, and timer 1 at 500 ms. A
/// bad command line shows string 107 and posts the quit with code 1 instead of everything from
/// the socket on. The window icons are the caller's. Returns true, as the dialog's
/// initialisation always does.
bool OnInitDialog(DialogState& state, const DialogInitInputs& inputs);
