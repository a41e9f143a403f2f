#pragma once

#include "dialog/dialog_state.h"

/// Host name of the monitoring service that a reset form offers as the server address.
inline constexpr char16_t DefaultMonitoringServer[] = u"monitor.tarnel.net";

/// Refills the telemetry-type list and `TeleTypeComboMap`: outside digital-instrument mode the
/// device models of the default types ("Prefix: Name", or Name when the two are equal), in it
/// every catalogue row's description. Equal texts keep the code set last; nothing is selected.
void FillTeleTypeCombo(DialogState& state);

/// Puts the form into its state before anything is read: MAC text empty, radios and the PPS
/// and date/time boxes clear (NTP auto kept), address and NTP fields disabled, the default
/// server host, no type chosen, "Assign VIN" and the GNSS frame hidden, `SelectedParamMap` and
/// the parameter rows empty (ClearParamMap).
void ResetSettingsForm(DialogState& state);

/// Asks for the MAC address (string 153); an accepted text has '-' turned into ':' and is
/// trimmed. When the MAC text was empty before, the fresh form gets its defaults: DHCP with NTP
/// auto and an empty server field, polarization on, range R2, the last telemetry type (and its
/// selection run), sync off, selected parameters sent, GNSS not used; each group only when
/// none of its radios is checked.
void OnChangeMac(DialogState& state);

/// The four address fields are enabled exactly when "Manual" is checked.
void OnAddressModeClicked(DialogState& state);

/// The NTP address field is enabled exactly when "auto" is not checked.
void OnNtpAutoClicked(DialogState& state);

/// What the window does as it goes: stops the timer and writes the parameter list's column
/// widths to the profile.
void OnDestroy(DialogState& state);
