#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/settings_image.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "resource_cases.h"
#include "support/fake_platform.h"
#include "support/test_adapter.h"
#include "ui/table_ctrl.h"
#include "ui/velmora_dlg.h"

namespace {

bool WaitFor(const std::function<bool()>& done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

/// A settings image of telemetry type `type` with the MAC address ending in `macEnd`, a host
/// name for the server and the first two codes of the type as single entries.
std::vector<uint8_t> Image(int32_t type, uint8_t macEnd) {
    SettingsPage page;
    page.MacAddress = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, macEnd};
    page.PolarizationControl = 0x8001;
    page.TelemetryType = static_cast<uint16_t>(type);
    page.ServerAddress = EncodeServerHostName(u"server.example");
    SelectedParamMap map;
    const std::vector<uint32_t>& codes = TelemetryDescriptorMap.at(type).Codes;
    map[{codes.at(0), 0, 0}] = {10, 0};
    map[{codes.at(1), 0, 0}] = {20, 1};
    return EncodeSettingsImage(page, map, type);
}

TEST(GetSettings, ReadsTheImageALoopbackAdapterHoldsIntoTheForm) {
    UseSourceCase(SourceCase::OwnEnglish);
    TestAdapter adapter; // firmware 0x200: the server field holds the host name as text
    const uint16_t port = adapter.Start();
    FakePrompts prompts;
    FakeProfile profile;
    CVelmoraDlg dialog;
    dialog.State().Prompts = &prompts;
    dialog.State().Profile = &profile;
    const std::string target = "127.0.0.1:" + std::to_string(port);
    dialog.StartInputs().CommandLineTail = std::u16string(target.begin(), target.end());
    dialog.show();
    // The adapter answers the start's identification request and becomes the chosen one; its
    // erased memory holds no settings page yet.
    ASSERT_TRUE(WaitFor([&] { return dialog.DeviceAddressCombo->currentIndex() >= 0; }, 5000));
    ASSERT_FALSE(dialog.State().TeleTypeComboMap.empty()) << "the description loads";
    const auto [typeText, type] = *dialog.State().TeleTypeComboMap.begin();

    adapter.LoadMemory(TestAdapter::SettingsFirstPage, Image(type, 0x01));
    qobject_cast<QAbstractButton*>(dialog.Control(ctl::GetSettingsButton))->click();
    ASSERT_TRUE(WaitFor([&] { return dialog.State().ConfigRead == 1; }, 5000));
    EXPECT_EQ(dialog.MacText->text(), QStringLiteral("00:1A:2B:3C:4D:01"));
    EXPECT_EQ(dialog.ServerEdit->text(), QStringLiteral("server.example"));
    EXPECT_TRUE(dialog.PolarizationRadios[1]->isChecked());
    EXPECT_EQ(dialog.TeleTypeCombo->currentText().toStdU16String(), typeText);
    EXPECT_EQ(dialog.State().SelectedParamMap.size(), 2u);
    EXPECT_EQ(dialog.ParamList->Rows().RowCount(), 2u);
    EXPECT_EQ(dialog.State().ConfigImage, adapter.Memory(TestAdapter::SettingsFirstPage, 512));
    EXPECT_TRUE(dialog.InfoEdit->text().startsWith(QStringLiteral("VIN: 12345678")));

    // Choosing the adapter in the device list reads it again.
    adapter.LoadMemory(TestAdapter::SettingsFirstPage, Image(type, 0x02));
    emit dialog.DeviceAddressCombo->activated(dialog.DeviceAddressCombo->currentIndex());
    EXPECT_TRUE(
        WaitFor([&] { return dialog.MacText->text().endsWith(QStringLiteral(":02")); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return dialog.State().ConfigRead == 1; }, 5000));
    EXPECT_TRUE(prompts.Boxes.empty());
    adapter.Stop();
}

} // namespace
