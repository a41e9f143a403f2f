#pragma once
#include <cstdint>
#include <span>

#include "dialog/dialog_state.h"

/// Takes one page of the adapter's settings image, as the reply to REQ_READ_EEPROM_DATA with
/// page index `pageIndex` brings it (`page`: the 256 bytes behind the reply header; a shorter
/// span is ignored). `page` must stay valid and unchanged for the whole call, also while the
/// string-109 box below runs its nested event loop.
///
/// Page 0 is the settings page: without the signature the form is reset and the image stays
/// empty; with it the page becomes `ConfigImage`, its fields fill the form, the telemetry type it
/// names is chosen (a type only the description knows is first added as a "Legacy" entry), the
/// parameter map and the list's rows are emptied and page 1 is asked for, or, with no entries
/// announced, the reading ends. Either way `ConfigRead` is 0 until the whole image is in
/// again; with entries announced but no type chosen to read them it stays 0. More entries than the settings area holds
/// (SettingsImage::MaxEntries) are not read at all: the form is filled, the parameter list left
/// empty, `ConfigRead` stays 0 and string 155 is shown, so no page past the area is asked for.
///
/// Page k >= 1 holds entries (k - 1) x 32 onwards. It is taken only when it is the page the
/// reading in progress asked for last (pages 1 to k - 1 then came in for this reading, in
/// order): it is appended to `ConfigImage`, its entries up to the announced count enter
/// `SelectedParamMap` (a frame offset that differs from the description's is reported with
/// string 109 and the entry kept; rows a command showed meanwhile are emptied, as the entry may
/// move the positions they name), and the next page is asked for, or, after the last, the
/// parameter list is rebuilt and `ConfigRead` becomes 1. Any other page (with no reading in
/// progress, ahead of or behind the one asked for, or a late answer of an earlier reading) is
/// ignored, and so is the rest of a page when a new reading begins (Get settings, a settings
/// page) while string 109 is shown.
void ReadSettingsPage(DialogState& state, uint32_t pageIndex, std::span<const uint8_t> page);

/// Forgets the image read so far and any page awaited: `ConfigRead` is 0 and a page of an
/// earlier reading is no longer taken.
void BeginSettingsRead(DialogState& state);
