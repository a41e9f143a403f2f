#include "ui/velmora_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <stdexcept>
#include <string>

#include "dialog/device_key.h"
#include "dialog/firmware_update.h"
#include "dialog/form_radio_groups.h"
#include "dialog/param_map_commands.h"
#include "dialog/password_vin.h"
#include "dialog/reply_handler.h"
#include "dialog/save_settings.h"
#include "dialog/settings_form.h"
#include "dialog/tele_type_selection.h"
#include "dialog/write_pump.h"
#include "platform/control_ids.h"
#include "platform/table_notices.h"
#include "ui/ip_address_edit.h"
#include "ui/resource_source.h"
#include "ui/table_ctrl.h"
#include "ui/velmora_app.h"

namespace {
/// Finds control `id` of the built template as a `T`; a missing or mistyped control is a fault
/// of the resources, reported as such.
template <typename T> T* Bind(const QWidget& dialog, int id) {
    T* control = qobject_cast<T*>(ResourceSource::FindControl(dialog, id));
    if (!control)
        throw std::runtime_error("dialog " + std::to_string(dlg::MainDialog) + ": control " +
                                 std::to_string(id) + " is missing or of the wrong kind");
    return control;
}

template <typename T, size_t N>
void BindAll(const QWidget& dialog, std::array<T*, N>& members, const std::array<int, N>& ids) {
    for (size_t i = 0; i < N; ++i)
        members[i] = Bind<T>(dialog, ids[i]);
}
} // namespace

CVelmoraDlg::CVelmoraDlg(QWidget* /*parent*/)
    : QDialog(nullptr), controls_(*this), prompts_(*this),
      window_(*this, [this](uint32_t id) { OnTimer(id); }) {
    if (!ResourceSource::BuildDialog(dlg::MainDialog, *this))
        throw std::runtime_error("dialog template " + std::to_string(dlg::MainDialog) +
                                 " is missing from the resources");
    // A window of its own in the taskbar, with system menu, minimise and maximise boxes and a
    // sizing frame; the template's layouts keep the controls in place when it is resized.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    DoDataExchange();

    state_.Controls = &controls_;
    state_.ParamList = ParamList;
    state_.Prompts = &prompts_;
    state_.Profile = &profile_;
    state_.Clock = &clock_;
    state_.Window = &window_;
    state_.LinkSocket = &linkSocket_;
    linkSocket_.SetReceiveHandler(
        [this](std::vector<uint8_t> datagram, const std::string& address, uint16_t port) {
            ::OnReceive(state_, std::move(datagram), address, port);
        });

    ConnectSelChange(ctl::TeleTypeCombo, &CVelmoraDlg::OnTeleTypeSelChange);
    ConnectSelChange(ctl::DeviceAddressCombo, &CVelmoraDlg::OnGetSettings);
    ConnectClicked(ctl::GetSettingsButton, &CVelmoraDlg::OnGetSettings);
    for (int id : ::AddressModeRadios)
        ConnectClicked(id, &CVelmoraDlg::OnAddressModeClicked);
    ConnectClicked(ctl::NtpAutoCheck, &CVelmoraDlg::OnNtpAutoClicked);
    ConnectClicked(ctl::ChangeMacButton, &CVelmoraDlg::OnChangeMac);
    ConnectClicked(ctl::SaveSettingsButton, &CVelmoraDlg::OnSaveSettings);
    ConnectClicked(ctl::UpdateFirmwareButton, &CVelmoraDlg::OnUpdateFirmware);
    ConnectClicked(ctl::ChangeKeyButton, &CVelmoraDlg::OnWriteDeviceKey);
    ConnectClicked(ctl::ChangePasswordButton, &CVelmoraDlg::OnChangeDevicePassword);
    ConnectClicked(ctl::AssignVinButton, &CVelmoraDlg::OnAssignVin);
    // The list posts its right clicks and double clicks; they arrive from the event loop.
    connect(ParamList, &CTableCtrl::ParentNotice, this, [this](int notice, int wParam, int lParam) {
        if (notice == table_notice::RightClick)
            ::OnParamListMenu(state_, wParam, lParam);
        else if (notice == table_notice::DoubleClick)
            ::OnParamCellDblClick(state_, wParam, lParam);
    });

    DialogIcon = ResourceSource::LoadIcon(MainIconId);
}

CVelmoraDlg::~CVelmoraDlg() {
    // The window goes with the object; only a window that was set up has a timer and columns.
    if (initialised_)
        ::OnDestroy(state_);
}

void CVelmoraDlg::DoDataExchange() {
    // The members' names are those of the control groups; `::` names the groups.
    DeviceAddressCombo = Bind<QComboBox>(*this, ctl::DeviceAddressCombo);
    MacText = Bind<QLabel>(*this, ctl::MacText);
    BindAll(*this, AddressModeRadios, ::AddressModeRadios);
    BindAll(*this, NetAddressCtrls, AddressFields);
    ServerEdit = Bind<QLineEdit>(*this, ctl::ServerEdit);
    BindAll(*this, PolarizationRadios, ::PolarizationRadios);
    BindAll(*this, RangeRadios, ::RangeRadios);
    TeleTypeCombo = Bind<QComboBox>(*this, ctl::TeleTypeCombo);
    ParamList = Bind<CTableCtrl>(*this, ctl::ParamList);
    InfoEdit = Bind<QLineEdit>(*this, ctl::InfoEdit);
    AssignVinButton = Bind<QPushButton>(*this, ctl::AssignVinButton);
    NtpAddressCtrl = Bind<IpAddressEdit>(*this, ctl::NtpAddress);
    NtpAutoCheck = Bind<QCheckBox>(*this, ctl::NtpAutoCheck);
    KeysErrorCheck = Bind<QCheckBox>(*this, ctl::KeysErrorCheck);
    KeysWrittenCheck = Bind<QCheckBox>(*this, ctl::KeysWrittenCheck);
    BindAll(*this, SyncRadios, ::SyncRadios);
    PpsCheck = Bind<QCheckBox>(*this, ctl::PpsCheck);
    DateTimeCheck = Bind<QCheckBox>(*this, ctl::DateTimeCheck);
    BindAll(*this, SendModeRadios, ::SendModeRadios);
    BindAll(*this, GnssRadios, ::GnssRadios);
    GnssGroup = Bind<QGroupBox>(*this, ctl::GnssGroup);
}

int CVelmoraDlg::DoModal() {
    return exec();
}

bool CVelmoraDlg::OnInitDialog() {
    // The window manager draws a minimised window's icon and the icon dragged with it from the
    // window icon, so setting it is all the painting and drag-icon handling there is.
    if (!DialogIcon.isNull())
        setWindowIcon(DialogIcon);
    // Only the English bundle switches the description texts to English: under the program's
    // own English copy they stay Russian.
    startInputs_.Language = EnglishResourcesLoaded != 0 ? UiLanguage::English : UiLanguage::Russian;
    return ::OnInitDialog(state_, startInputs_);
}

void CVelmoraDlg::OnTimer(uint32_t id) {
    OnDialogTimer(state_, id);
}

void CVelmoraDlg::OnTeleTypeSelChange() {
    ::OnTeleTypeSelChange(state_);
}

void CVelmoraDlg::OnGetSettings() {
    ::OnGetSettings(state_);
}

void CVelmoraDlg::OnAddressModeClicked() {
    ::OnAddressModeClicked(state_);
}

void CVelmoraDlg::OnNtpAutoClicked() {
    ::OnNtpAutoClicked(state_);
}

void CVelmoraDlg::OnChangeMac() {
    ::OnChangeMac(state_);
}

void CVelmoraDlg::OnSaveSettings() {
    ::OnSaveSettings(state_);
}

void CVelmoraDlg::OnUpdateFirmware() {
    ::OnUpdateFirmware(state_);
}

void CVelmoraDlg::OnWriteDeviceKey() {
    ::OnWriteDeviceKey(state_);
}

void CVelmoraDlg::OnChangeDevicePassword() {
    ::OnChangeDevicePassword(state_);
}

void CVelmoraDlg::OnAssignVin() {
    ::OnAssignVin(state_);
}

void CVelmoraDlg::ConnectClicked(int id, void (CVelmoraDlg::*handler)()) {
    if (auto* button = qobject_cast<QAbstractButton*>(Control(id)))
        connect(button, &QAbstractButton::clicked, this, handler);
}

void CVelmoraDlg::ConnectSelChange(int id, void (CVelmoraDlg::*handler)()) {
    if (auto* combo = qobject_cast<QComboBox*>(Control(id)))
        connect(combo, &QComboBox::activated, this, handler);
}

void CVelmoraDlg::showEvent(QShowEvent* event) {
    if (!initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CVelmoraDlg::keyPressEvent(QKeyEvent* event) {
    // The dialog has no default button: Enter clicks the push button that has the focus, as
    // Space does, and anywhere else does nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event); // Escape: reject, which ends the modal run
}
