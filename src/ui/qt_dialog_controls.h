#pragma once
#include <QPointer>
#include <QWidget>

#include <map>

#include "platform/dialog_controls.h"

class QComboBox;

/// The dialog's controls by id over the widgets of a dialog built from a template
/// (ResourceSource::BuildDialog). A combo box whose template property "sorted" is true keeps its
/// entries in case-insensitive order. Changing a control from here raises none of its
/// user-action signals (clicked, activated), as the handlers must see only the user's actions.
class QtDialogControls : public IDialogControls {
public:
    explicit QtDialogControls(QWidget& dialog);

    /// The widget of control `id`, null when the dialog has none.
    QWidget* Control(int id) const;

    int GetCheck(int id) const override;
    void SetCheck(int id, int state) override;
    std::u16string GetWindowText(int id) const override;
    void SetWindowText(int id, const std::u16string& text) override;
    void EnableWindow(int id, bool enable) override;
    bool IsWindowEnabled(int id) const override;
    void ShowWindow(int id, bool show) override;
    bool IsWindowVisible(int id) const override;
    int GetAddress(int id, uint32_t& address) const override;
    void SetAddress(int id, uint32_t address) override;
    void ClearAddress(int id) override;
    void ComboResetContent(int id) override;
    int ComboAddString(int id, const std::u16string& text) override;
    int ComboGetCount(int id) const override;
    int ComboGetCurSel(int id) const override;
    void ComboSetCurSel(int id, int index) override;
    std::u16string ComboGetLBText(int id, int index) const override;
    int ComboFindStringExact(int id, int start, const std::u16string& text) const override;

    /// Name of the template property that marks a sorted combo box.
    static constexpr char SortedProperty[] = "sorted";

private:
    QComboBox* Combo(int id) const;

    QWidget& dialog_;
    mutable std::map<int, QPointer<QWidget>> cache_;
};
