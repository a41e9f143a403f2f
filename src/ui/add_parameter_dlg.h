#pragma once
#include <cstdint>
#include <vector>

#include "dialog/add_parameter.h"
#include "ui/qt_dialog_controls.h"
#include "ui/qt_user_prompts.h"
#include "ui/template_dialog.h"

/// "Select parameter to collect" (template 1024): the operator picks one parameter of the
/// current telemetry type, or every value of one, and a send rate. The working is
/// AddParameterForm's; this class binds it to the template's widgets. Run by DoModal; on 1 (OK)
/// the caller reads SelectedCodes and SendRate.
class CAddParameterDlg : public TemplateDialog {
    Q_OBJECT
public:
    /// The three pointers are the working state's and must outlive the dialog.
    CAddParameterDlg(const TelemetryDescriptor* desc, const DeviceParamLayout* layout,
                     const ChannelLayout* channels);

    const std::vector<uint32_t>& SelectedCodes() const { return form_.SelectedCodes; }
    int SendRate() const { return form_.SendRate; }
    AddParameterForm& Form() { return form_; }

    /// OK: ends the run only when the rate is right.
    void accept() override;

protected:
    void OnInitDialog() override;
    void SaveControls() override {}

private:
    QtDialogControls controls_;
    QtUserPrompts prompts_;
    AddParameterForm form_;
};
