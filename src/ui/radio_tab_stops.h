#pragma once

class QWidget;

/// Makes each group of radio buttons in `dialog` (the radios that share a parent widget) one Tab
/// stop at its checked button, or at its first button while none is checked, and keeps it there
/// whenever the check changes, by the user or by the program. Arrows still move and check within
/// the group.
void KeepRadioTabStopsOnChecked(QWidget& dialog);
