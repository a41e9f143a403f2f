#include "ui/qt_dialog_controls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/ip_address_edit.h"
#include "ui/qt_text.h"
#include "ui/resource_source.h"

namespace {
/// Clears a radio button even when it is the checked member of an exclusive group, which Qt
/// otherwise refuses: the form's reset clears whole groups.
void Uncheck(QAbstractButton& button) {
    QButtonGroup* group = button.group();
    const bool groupExclusive = group && group->exclusive();
    const bool autoExclusive = button.autoExclusive();
    if (group)
        group->setExclusive(false);
    button.setAutoExclusive(false);
    button.setChecked(false);
    button.setAutoExclusive(autoExclusive);
    if (group)
        group->setExclusive(groupExclusive);
}
} // namespace

QtDialogControls::QtDialogControls(QWidget& dialog) : dialog_(dialog) {}

QWidget* QtDialogControls::Control(int id) const {
    auto it = cache_.find(id);
    if (it != cache_.end() && it->second)
        return it->second.data();
    QWidget* widget = ResourceSource::FindControl(dialog_, id);
    if (widget)
        cache_[id] = widget;
    return widget;
}

QComboBox* QtDialogControls::Combo(int id) const {
    return qobject_cast<QComboBox*>(Control(id));
}

int QtDialogControls::GetCheck(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    if (!button)
        return 0;
    if (auto* box = qobject_cast<QCheckBox*>(button);
        box && box->checkState() == Qt::PartiallyChecked)
        return 2;
    return button->isChecked() ? 1 : 0;
}

void QtDialogControls::SetCheck(int id, int state) {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    if (!button)
        return;
    if (state != 0)
        button->setChecked(true);
    else if (button->isChecked())
        Uncheck(*button);
}

std::u16string QtDialogControls::GetWindowText(int id) const {
    QWidget* widget = Control(id);
    if (!widget)
        return {};
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return ToU16(combo->currentIndex() >= 0 ? combo->currentText() : QString());
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return ToU16(edit->text());
    if (auto* label = qobject_cast<QLabel*>(widget))
        return ToU16(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return ToU16(button->text());
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return ToU16(group->title());
    if (auto* address = qobject_cast<IpAddressEdit*>(widget))
        return ToU16(address->Text());
    return ToU16(widget->windowTitle());
}

void QtDialogControls::SetWindowText(int id, const std::u16string& text) {
    QWidget* widget = Control(id);
    const QString value = ToQString(text);
    if (!widget || qobject_cast<QComboBox*>(widget))
        return; // a drop-down list has no text of its own
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(value);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(value);
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(value);
    else if (auto* address = qobject_cast<IpAddressEdit*>(widget))
        address->SetText(value);
    else
        widget->setWindowTitle(value);
}

void QtDialogControls::EnableWindow(int id, bool enable) {
    if (QWidget* widget = Control(id))
        widget->setEnabled(enable);
}

bool QtDialogControls::IsWindowEnabled(int id) const {
    QWidget* widget = Control(id);
    return widget && widget->isEnabledTo(&dialog_);
}

void QtDialogControls::ShowWindow(int id, bool show) {
    if (QWidget* widget = Control(id))
        widget->setVisible(show);
}

bool QtDialogControls::IsWindowVisible(int id) const {
    // Relative to the dialog, so that the answer holds before the dialog is first shown.
    QWidget* widget = Control(id);
    return widget && widget->isVisibleTo(&dialog_);
}

int QtDialogControls::GetAddress(int id, uint32_t& address) const {
    address = 0;
    auto* edit = qobject_cast<IpAddressEdit*>(Control(id));
    return edit ? edit->GetAddress(address) : 0;
}

void QtDialogControls::SetAddress(int id, uint32_t address) {
    if (auto* edit = qobject_cast<IpAddressEdit*>(Control(id)))
        edit->SetAddress(address);
}

void QtDialogControls::ClearAddress(int id) {
    if (auto* edit = qobject_cast<IpAddressEdit*>(Control(id)))
        edit->ClearAddress();
}

void QtDialogControls::ComboResetContent(int id) {
    if (QComboBox* combo = Combo(id))
        combo->clear();
}

int QtDialogControls::ComboAddString(int id, const std::u16string& text) {
    QComboBox* combo = Combo(id);
    if (!combo)
        return -1;
    const QString value = ToQString(text);
    int index = combo->count();
    if (combo->property(SortedProperty).toBool()) {
        // After every entry that does not sort after the new one, so equal texts keep the
        // order in which they were added.
        index = 0;
        while (index < combo->count() &&
               QString::compare(combo->itemText(index), value, Qt::CaseInsensitive) <= 0)
            ++index;
    }
    const bool noSelection = combo->currentIndex() < 0;
    combo->insertItem(index, value);
    // Qt selects the first entry added to an empty list; the dialog's lists start unselected.
    if (noSelection)
        combo->setCurrentIndex(-1);
    return index;
}

int QtDialogControls::ComboGetCount(int id) const {
    QComboBox* combo = Combo(id);
    return combo ? combo->count() : 0;
}

int QtDialogControls::ComboGetCurSel(int id) const {
    QComboBox* combo = Combo(id);
    return combo ? combo->currentIndex() : -1;
}

void QtDialogControls::ComboSetCurSel(int id, int index) {
    if (QComboBox* combo = Combo(id))
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

std::u16string QtDialogControls::ComboGetLBText(int id, int index) const {
    QComboBox* combo = Combo(id);
    if (!combo || index < 0 || index >= combo->count())
        return {};
    return ToU16(combo->itemText(index));
}

int QtDialogControls::ComboFindStringExact(int id, int start, const std::u16string& text) const {
    QComboBox* combo = Combo(id);
    if (!combo)
        return -1;
    const QString value = ToQString(text);
    for (int i = std::max(start + 1, 0); i < combo->count(); ++i)
        if (QString::compare(combo->itemText(i), value, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
