#pragma once
#include <cstdint>
#include <string>

/// The main dialog's controls, addressed by control id (control_ids.h). Core operations read and
/// write the form only through this interface; the Qt dialog implements it over its widgets and
/// tests use an in-memory implementation. Ids that name no control are ignored by setters and
/// give empty / 0 / -1 results.
class IDialogControls {
public:
    virtual ~IDialogControls() = default;

    /// Check state of a radio button or check box: 0 clear, 1 checked.
    virtual int GetCheck(int id) const = 0;
    virtual void SetCheck(int id, int state) = 0;

    /// Window text of any control (for a drop-down list: the chosen entry's text, or empty).
    virtual std::u16string GetWindowText(int id) const = 0;
    virtual void SetWindowText(int id, const std::u16string& text) = 0;

    virtual void EnableWindow(int id, bool enable) = 0;
    virtual bool IsWindowEnabled(int id) const = 0;
    virtual void ShowWindow(int id, bool show) = 0;
    virtual bool IsWindowVisible(int id) const = 0;

    /// IPv4 address control of four fields, each of which may be blank. GetAddress stores the
    /// address with field 0 in the high byte (blank fields read as 0) and returns the number of
    /// fields that are not blank.
    virtual int GetAddress(int id, uint32_t& address) const = 0;
    virtual void SetAddress(int id, uint32_t address) = 0;
    /// Makes all four fields blank.
    virtual void ClearAddress(int id) = 0;

    // Combo boxes. Whether a combo keeps its entries sorted is a property of the control (the
    // device list and the telemetry-type list are sorted, case-insensitively).
    virtual void ComboResetContent(int id) = 0;
    /// Adds an entry (in sorted position for a sorted combo, else at the end); returns its index.
    virtual int ComboAddString(int id, const std::u16string& text) = 0;
    virtual int ComboGetCount(int id) const = 0;
    /// Index of the chosen entry, -1 for none.
    virtual int ComboGetCurSel(int id) const = 0;
    /// Chooses entry `index`; -1 (or an index out of range) chooses none. Raises no notification.
    virtual void ComboSetCurSel(int id, int index) = 0;
    /// Text of entry `index`; empty when out of range.
    virtual std::u16string ComboGetLBText(int id, int index) const = 0;
    /// First entry after `start` (-1: from the beginning) whose text equals `text`, ignoring
    /// case; -1 when none.
    virtual int ComboFindStringExact(int id, int start, const std::u16string& text) const = 0;
};
