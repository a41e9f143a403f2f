#pragma once
#include <QString>

#include "ui/template_dialog.h"

/// One-line text prompt (template 129). The caller sets `caption` and, if it likes, `text`,
/// runs DoModal and on 1 (OK) reads `text` as typed; nothing is checked here.
class CEditTextDlg : public TemplateDialog {
    Q_OBJECT
public:
    /// The parent is not used: the dialog opens over the active window.
    explicit CEditTextDlg(QWidget* parent = nullptr);

    QString text;
    QString caption;

protected:
    void OnInitDialog() override;
    void SaveControls() override;
};
