#pragma once
#include <QDialog>
#include <QIcon>

#include <array>
#include <cstdint>

#include "dialog/dialog_init.h"
#include "dialog/dialog_state.h"
#include "ui/link_socket.h"
#include "ui/qt_dialog_controls.h"
#include "ui/qt_services.h"
#include "ui/qt_user_prompts.h"

class CTableCtrl;
class IpAddressEdit;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

/// The program's one window, built from template 102 of the current resource source. It owns the
/// working state of the run (State(): the members the link and configuration operations work
/// on) and the Qt implementations of the interfaces through which those operations reach the
/// form, the user, the profile, the clock and the window; State()'s pointers designate them
/// (tests may point them elsewhere before the dialog is first shown).
///
/// The dialog has no default button: Enter clicks a push button that has the focus and
/// elsewhere does nothing; Escape and the close box end the modal run. OnInitDialog runs once,
/// when the dialog is first shown. Tests can build it offscreen, show() it and drive its controls.
class CVelmoraDlg : public QDialog {
    Q_OBJECT
public:
    /// `parent` is ignored: the dialog is a top-level window of its own. Throws
    /// std::runtime_error when the template or one of its bound controls is missing.
    explicit CVelmoraDlg(QWidget* parent = nullptr);
    ~CVelmoraDlg() override;

    /// Shows the dialog and runs its modal loop; returns the QDialog result.
    int DoModal();

    DialogState& State() { return state_; }
    /// What the start needs besides the state. The application sets the command line and the
    /// local interfaces; a dialog built without them (as in tests) forms no broadcast target.
    DialogInitInputs& StartInputs() { return startInputs_; }
    QtDialogControls& Controls() { return controls_; }
    QtDialogWindow& Window() { return window_; }
    /// Control `id` of the template, null when it has none.
    QWidget* Control(int id) const { return controls_.Control(id); }

    // Controls of template 102, bound by id in this order when the dialog is built.
    QIcon DialogIcon; ///< icon 128 of the current resource source; null when it has none
    QComboBox* DeviceAddressCombo = nullptr;
    QLabel* MacText = nullptr;
    std::array<QRadioButton*, 2> AddressModeRadios{};
    std::array<IpAddressEdit*, 4> NetAddressCtrls{};
    QLineEdit* ServerEdit = nullptr;
    std::array<QRadioButton*, 3> PolarizationRadios{};
    std::array<QRadioButton*, 4> RangeRadios{};
    QComboBox* TeleTypeCombo = nullptr;
    CTableCtrl* ParamList = nullptr;
    QLineEdit* InfoEdit = nullptr;
    QPushButton* AssignVinButton = nullptr;
    IpAddressEdit* NtpAddressCtrl = nullptr;
    QCheckBox* NtpAutoCheck = nullptr;
    QCheckBox* KeysErrorCheck = nullptr;
    QCheckBox* KeysWrittenCheck = nullptr;
    std::array<QRadioButton*, 3> SyncRadios{};
    QCheckBox* PpsCheck = nullptr;
    QCheckBox* DateTimeCheck = nullptr;
    std::array<QRadioButton*, 3> SendModeRadios{};
    std::array<QRadioButton*, 3> GnssRadios{};
    QGroupBox* GnssGroup = nullptr;

protected:
    /// Runs once, when the dialog is first shown: the window's icon.
    virtual bool OnInitDialog();
    /// A timer of the window fired.
    virtual void OnTimer(uint32_t id);

    /// Connects a handler to the clicks of button `id`.
    void ConnectClicked(int id, void (CVelmoraDlg::*handler)());
    /// Connects a handler to the user's choice of an entry of combo box `id`; entries chosen by
    /// the program raise nothing.
    void ConnectSelChange(int id, void (CVelmoraDlg::*handler)());

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    /// IDOK: Enter does nothing, the dialog stays open.
    void accept() override {}

private:
    void DoDataExchange();

    // Handlers of the form, by control id.
    void OnTeleTypeSelChange();
    void OnGetSettings();
    void OnAddressModeClicked();
    void OnNtpAutoClicked();
    void OnChangeMac();
    void OnSaveSettings();
    // Service buttons.
    void OnUpdateFirmware();
    void OnWriteDeviceKey();
    void OnChangeDevicePassword();
    void OnAssignVin();

    DialogState state_;
    QtDialogControls controls_;
    QtUserPrompts prompts_;
    QtProfile profile_;
    QtClock clock_;
    QtDialogWindow window_;
    CDbgInfoSocket linkSocket_;
    DialogInitInputs startInputs_;
    bool initialised_ = false;
};
