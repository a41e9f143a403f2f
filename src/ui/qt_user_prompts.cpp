#include "ui/qt_user_prompts.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

#include "ui/add_parameter_dlg.h"
#include "ui/change_password_dlg.h"
#include "ui/edit_text_dlg.h"
#include "ui/qt_text.h"
#include "ui/resource_source.h"

QString QtFileFilter(const std::u16string& filter) {
    const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        if (name.isEmpty())
            break;
        if (const qsizetype paren = name.indexOf(QLatin1Char('(')); paren >= 0)
            name.truncate(paren);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        entries << name.trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

std::u16string QtUserPrompts::LoadString(int stringId) const {
    return ResourceSource::LoadStringU16(stringId);
}

MbResult QtUserPrompts::MessageBox(const std::u16string& text, MbButtons buttons) {
    const bool yesNo = buttons == MbButtons::YesNo;
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), ToQString(text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, &owner_);
    const int answer = box.exec();
    if (!yesNo)
        return MbResult::Ok;
    return answer == QMessageBox::Yes ? MbResult::Yes : MbResult::No;
}

bool QtUserPrompts::EditText(const std::u16string& caption, std::u16string& text) {
    CEditTextDlg dialog;
    dialog.caption = ToQString(caption);
    dialog.text = ToQString(text);
    if (dialog.DoModal() != TemplateDialog::ResultOk)
        return false;
    text = ToU16(dialog.text);
    return true;
}

bool QtUserPrompts::AddParameter(const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                                 const ChannelLayout* channels, std::vector<uint32_t>& codes,
                                 int& sendRate) {
    CAddParameterDlg dialog(&desc, &layout, channels);
    if (dialog.DoModal() != TemplateDialog::ResultOk)
        return false;
    codes = dialog.SelectedCodes();
    sendRate = dialog.SendRate();
    return true;
}

bool QtUserPrompts::ChangePassword(std::u16string& oldPassword, std::u16string& newPassword,
                                   std::u16string& newPasswordAgain) {
    CChangePasswordDlg dialog;
    if (dialog.DoModal() != TemplateDialog::ResultOk)
        return false;
    oldPassword = ToU16(dialog.oldPassword);
    newPassword = ToU16(dialog.newPassword);
    newPasswordAgain = ToU16(dialog.newPasswordAgain);
    return true;
}

std::optional<std::u16string> QtUserPrompts::OpenFile(const std::u16string& filter,
                                                      const std::u16string& initialFolder) {
    const QString path = QFileDialog::getOpenFileName(&owner_, QString(), ToQString(initialFolder),
                                                      QtFileFilter(filter));
    if (path.isEmpty())
        return std::nullopt;
    return ToU16(path);
}

int QtUserPrompts::PopupMenu(const std::vector<MenuItem>& items) {
    QMenu menu(&owner_);
    for (const MenuItem& item : items) {
        if (item.Command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(ToQString(item.Text));
        action->setData(item.Command);
        action->setEnabled(item.Enabled);
    }
    // Right-aligned: the menu's top-right corner at the cursor.
    const QAction* chosen = menu.exec(QCursor::pos() - QPoint(menu.sizeHint().width(), 0));
    return chosen ? chosen->data().toInt() : 0;
}
