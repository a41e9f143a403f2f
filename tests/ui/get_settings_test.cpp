#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <vector>

#include "config/settings_image.h"
#include "loopback_dialog.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "support/test_adapter.h"
#include "ui/table_ctrl.h"

namespace {

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
    TestAdapter adapter; // firmware 0x200: the server field holds the host name as text
    LoopbackDialog run;
    // The start's identification request is answered; the erased memory holds no settings yet.
    ASSERT_TRUE(run.Start(adapter.Start()));
    CVelmoraDlg& dialog = run.Dialog;
    ASSERT_FALSE(dialog.State().TeleTypeComboMap.empty()) << "the description loads";
    const auto [typeText, type] = *dialog.State().TeleTypeComboMap.begin();

    adapter.LoadMemory(TestAdapter::SettingsFirstPage, Image(type, 0x01));
    run.Click(ctl::GetSettingsButton);
    ASSERT_TRUE(ServeUntil([&] { return dialog.State().ConfigRead == 1; }, 5000));
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
        ServeUntil([&] { return dialog.MacText->text().endsWith(QStringLiteral(":02")); }, 5000));
    EXPECT_TRUE(ServeUntil([&] { return dialog.State().ConfigRead == 1; }, 5000));
    EXPECT_TRUE(run.Prompts.Boxes.empty());
    adapter.Stop();
}

} // namespace
