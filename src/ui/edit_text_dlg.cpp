#include "ui/edit_text_dlg.h"

#include <QLineEdit>

#include "platform/control_ids.h"

CEditTextDlg::CEditTextDlg(QWidget* /*parent*/) : TemplateDialog(dlg::EditText) {}

void CEditTextDlg::OnInitDialog() {
    if (QLineEdit* edit = Edit(ctl::EditText)) {
        edit->setText(text);
        edit->setFocus();
    }
    setWindowTitle(caption);
}

void CEditTextDlg::SaveControls() {
    if (QLineEdit* edit = Edit(ctl::EditText))
        text = edit->text();
}
