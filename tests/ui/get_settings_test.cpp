#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "config/settings_image.h"
#include "loopback_dialog.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
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

TEST(GetSettings, ADatagramReceivedWhileAnOffsetBoxIsOpenChangesNothingOfThePageBeingRead) {
    TestAdapter adapter;
    LoopbackDialog run;
    ASSERT_TRUE(run.Start(adapter.Start()));
    // The start's reading has its page 0 from the erased memory.
    ASSERT_TRUE(adapter.WaitForReceived(2, 5000));
    CVelmoraDlg& dialog = run.Dialog;
    const uint16_t programPort = adapter.Received().front().port;
    ASSERT_FALSE(dialog.State().TeleTypeComboMap.empty());
    const int32_t type = dialog.State().TeleTypeComboMap.begin()->second;
    const std::vector<uint32_t>& codes = TelemetryDescriptorMap.at(type).Codes;
    ASSERT_GE(codes.size(), 8u);

    // Page 1 holds eight entries; the first one's frame offset is not the description's, so
    // string 109 is shown before the other seven are read.
    SettingsPage page;
    page.TelemetryType = static_cast<uint16_t>(type);
    SelectedParamMap map;
    for (uint16_t i = 0; i < 8; ++i)
        map[{codes[i], 0, 0}] = {static_cast<uint16_t>(10 + i), 0};
    std::vector<uint8_t> image = EncodeSettingsImage(page, map, type);
    ++image[SettingsImage::PageSize + 4];
    adapter.LoadMemory(TestAdapter::SettingsFirstPage, image);

    // While the box is open, another sender's page reply of other codes comes in.
    std::vector<uint8_t> foreign = {0x34, 0x75, 0x85, 0x84, 0xCB, 0x8A, 0x7A, 0x7B,
                                    0x01, 0x00, 0x02, 0x00};
    for (uint32_t i = 0; i < 32; ++i)
        for (uint32_t word : {0x7E000000u + i, 0x00010005u})
            for (int b = 0; b < 4; ++b)
                foreign.push_back(static_cast<uint8_t>(word >> (8 * b)));
    QUdpSocket stranger;
    ASSERT_TRUE(stranger.bind(QHostAddress::LocalHost, 0));
    bool foreignSent = false;
    run.Prompts.DuringMessageBox = [&] {
        if (std::exchange(foreignSent, true))
            return;
        stranger.writeDatagram(reinterpret_cast<const char*>(foreign.data()),
                               static_cast<qint64>(foreign.size()), QHostAddress::LocalHost,
                               programPort);
        // The box's event loop serves the socket until the stranger is learned.
        EXPECT_TRUE(
            ServeUntil([&] { return dialog.DeviceAddressCombo->count() == 2; }, 5000));
    };
    run.Prompts.Boxes.clear();
    run.Click(ctl::GetSettingsButton);

    ASSERT_TRUE(ServeUntil([&] { return dialog.State().ConfigRead == 1; }, 5000));
    EXPECT_TRUE(foreignSent);
    ASSERT_EQ(run.Prompts.Boxes.size(), 1u);
    EXPECT_EQ(run.Prompts.Boxes[0].Text, StringIdText(ids::ParamOffsetMismatch));
    EXPECT_EQ(dialog.State().SelectedParamMap, map);
    EXPECT_EQ(dialog.State().ConfigImage,
              adapter.Memory(TestAdapter::SettingsFirstPage, 2 * SettingsImage::PageSize));
    adapter.Stop();
}

} // namespace
