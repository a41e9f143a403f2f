#include "ui/template_dialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

#include "platform/control_ids.h"
#include "ui/resource_source.h"

TemplateDialog::TemplateDialog(int templateId) : QDialog(nullptr) {
    built_ = ResourceSource::BuildDialog(templateId, *this);
    if (auto* ok = qobject_cast<QPushButton*>(ResourceSource::FindControl(*this, ctl::IdOk)))
        connect(ok, &QPushButton::clicked, this, &TemplateDialog::accept);
    if (auto* cancel =
            qobject_cast<QPushButton*>(ResourceSource::FindControl(*this, ctl::IdCancel)))
        connect(cancel, &QPushButton::clicked, this, &TemplateDialog::reject);
}

int TemplateDialog::DoModal() {
    if (!built_)
        return -1;
    // The active window owns the run as a transient parent only: the dialog object stays the
    // caller's, whatever happens to the owner.
    QWidget* owner = QApplication::activeWindow();
    if (owner && owner != this) {
        winId();
        if (windowHandle() && owner->windowHandle())
            windowHandle()->setTransientParent(owner->windowHandle());
        move(owner->frameGeometry().center() - rect().center());
    }
    OnInitDialog();
    return exec() == QDialog::Accepted ? ResultOk : ResultCancel;
}

QLineEdit* TemplateDialog::Edit(int controlId) const {
    return qobject_cast<QLineEdit*>(ResourceSource::FindControl(*this, controlId));
}

void TemplateDialog::accept() {
    SaveControls();
    QDialog::accept();
}
