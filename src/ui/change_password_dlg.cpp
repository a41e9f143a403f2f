#include "ui/change_password_dlg.h"

#include <QLineEdit>

#include "platform/control_ids.h"

namespace {
struct Binding {
    int ControlId;
    QString CChangePasswordDlg::*Member;
};

constexpr Binding Bindings[] = {
    {ctl::OldPassword, &CChangePasswordDlg::oldPassword},
    {ctl::NewPassword, &CChangePasswordDlg::newPassword},
    {ctl::NewPasswordAgain, &CChangePasswordDlg::newPasswordAgain},
};
} // namespace

CChangePasswordDlg::CChangePasswordDlg() : TemplateDialog(dlg::ChangePassword) {}

void CChangePasswordDlg::OnInitDialog() {
    for (const Binding& binding : Bindings)
        if (QLineEdit* edit = Edit(binding.ControlId))
            edit->setText(this->*binding.Member);
}

void CChangePasswordDlg::SaveControls() {
    for (const Binding& binding : Bindings)
        if (QLineEdit* edit = Edit(binding.ControlId))
            this->*binding.Member = edit->text();
}
