#pragma once
#include <QString>

#include "ui/template_dialog.h"

/// The write-password change (template 1025): the old password and the new one twice. On 1
/// (OK) the three texts are as typed, of any length; the caller checks and shortens them.
class CChangePasswordDlg : public TemplateDialog {
    Q_OBJECT
public:
    CChangePasswordDlg();

    QString oldPassword;
    QString newPassword;
    QString newPasswordAgain;

protected:
    void OnInitDialog() override;
    void SaveControls() override;
};
