#pragma once
#include <QDialog>

class QLineEdit;

/// A small modal dialog built from a template of the current resource source. Its OK (id 1)
/// takes the controls' values into the members, then ends the run with 1; Cancel (id 2),
/// Escape and the close box end it with 2 and leave the members as they were.
class TemplateDialog : public QDialog {
    Q_OBJECT
public:
    /// Result of a run ended by OK or by Cancel; DoModal returns -1 when the template is missing.
    static constexpr int ResultOk = 1;
    static constexpr int ResultCancel = 2;

    /// Runs the dialog modally over the active window and returns how it ended.
    int DoModal();

protected:
    /// Built with no parent: each run opens over the window that is active when it starts.
    explicit TemplateDialog(int templateId);

    /// Puts the members into the controls before the run.
    virtual void OnInitDialog() = 0;
    /// Takes the controls' values into the members on OK.
    virtual void SaveControls() = 0;
    /// The edit of the template whose id is `controlId`; null when there is none.
    QLineEdit* Edit(int controlId) const;

    void accept() override;

private:
    bool built_ = false;
};
