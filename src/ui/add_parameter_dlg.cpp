#include "ui/add_parameter_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>

#include "platform/control_ids.h"

CAddParameterDlg::CAddParameterDlg(const TelemetryDescriptor* desc, const DeviceParamLayout* layout,
                                   const ChannelLayout* channels)
    : TemplateDialog(dlg::AddParameter), controls_(*this), prompts_(*this),
      form_(controls_, prompts_, *desc, *layout, channels) {
    // The user's choices only: the form's own changes of the lists raise no `activated`.
    if (auto* kinds = qobject_cast<QComboBox*>(controls_.Control(ctl::ParamKindList)))
        connect(kinds, &QComboBox::activated, this, [this] { form_.OnParamKindChanged(); });
    if (auto* all = qobject_cast<QCheckBox*>(controls_.Control(ctl::ParamAllValuesCheck)))
        connect(all, &QCheckBox::clicked, this, [this] { form_.OnAllValuesClicked(); });
}

void CAddParameterDlg::OnInitDialog() {
    form_.OnInitDialog();
}

void CAddParameterDlg::accept() {
    if (form_.OnAddParamOk())
        QDialog::accept();
}
