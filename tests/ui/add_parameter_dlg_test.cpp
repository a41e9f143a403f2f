#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "dialog/add_parameter.h"
#include "model/channel_band_names.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "resource_cases.h"
#include "ui/add_parameter_dlg.h"
#include "ui/resource_source.h"

namespace {

uint32_t Measured(uint32_t ch, uint32_t family, uint32_t band) {
    return 0x51000000u | family << 20 | ch << 16 | band;
}

template <class T> T* ControlOf(QWidget& dialog, int id) {
    return qobject_cast<T*>(ResourceSource::FindControl(dialog, id));
}

TEST(AddParameterDlg, UserChoicesReachTheFormAndOkWaitsForARightRate) {
    UseSourceCase(SourceCase::OwnEnglish);
    RememberedAddParameterChoices() = {};
    TelemetryDescriptorMap.clear();
    TelemetryDescriptor& described = TelemetryDescriptorMap[42];
    described.TypeNames = {u"Lin", u"Oct", u"Wide"};
    for (uint32_t ch = 0; ch < 2; ++ch) {
        for (uint32_t b = 0; b < 3; ++b)
            described.Codes.push_back(Measured(ch, 1, b));
        described.Codes.push_back(Measured(ch, 3, 0));
    }
    TelemetryDescriptor desc;
    DeviceParamLayout layout;
    ChannelLayouts channels;
    layout.TeleType = 42;
    ASSERT_TRUE(ApplyTeleDescToDevice(channels, layout, desc));
    layout.ChannelSensorMap = SensorMapMultiChannel;

    CAddParameterDlg dialog(&desc, &layout, channels.data());
    EXPECT_EQ(dialog.metaObject()->className(), QStringLiteral("CAddParameterDlg"));
    QStringList kinds, channelNames;
    bool valuesEnabledAfterAll = true;
    bool stayedOpen = false;
    QString boxText;
    QTimer::singleShot(0, &dialog, [&] {
        auto* kindList = ControlOf<QComboBox>(dialog, ctl::ParamKindList);
        for (int i = 0; i < kindList->count(); ++i)
            kinds << kindList->itemText(i);
        auto* channelList = ControlOf<QComboBox>(dialog, ctl::ParamChannelList);
        for (int i = 0; i < channelList->count(); ++i)
            channelNames << channelList->itemText(i);
        // The user chooses family 1, its third band, channel K2 and then every value.
        kindList->setCurrentIndex(0);
        emit kindList->activated(0);
        ControlOf<QComboBox>(dialog, ctl::ParamChannelList)->setCurrentIndex(1);
        ControlOf<QCheckBox>(dialog, ctl::ParamAllValuesCheck)->click();
        valuesEnabledAfterAll = ControlOf<QComboBox>(dialog, ctl::ParamValueList)->isEnabled();

        ControlOf<QLineEdit>(dialog, ctl::ParamRateEdit)->setText(QStringLiteral("0"));
        QTimer::singleShot(0, &dialog, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxText = box->text();
                box->accept();
            }
        });
        ControlOf<QPushButton>(dialog, ctl::IdOk)->click();
        stayedOpen = dialog.isVisible();
        ControlOf<QLineEdit>(dialog, ctl::ParamRateEdit)->setText(QStringLiteral("30"));
        ControlOf<QPushButton>(dialog, ctl::IdOk)->click();
    });
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(kinds, (QStringList{QStringLiteral("Lin"), QStringLiteral("Wide")}));
    EXPECT_EQ(channelNames,
              (QStringList{QStringLiteral("Channel K1"), QStringLiteral("Channel K2")}));
    EXPECT_FALSE(valuesEnabledAfterAll);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(boxText, QStringLiteral("Error: wrong rate"));
    EXPECT_EQ(dialog.SendRate(), 30);
    EXPECT_EQ(dialog.SelectedCodes(),
              (std::vector<uint32_t>{Measured(1, 1, 0), Measured(1, 1, 1), Measured(1, 1, 2)}));
    TelemetryDescriptorMap.clear();
    RememberedAddParameterChoices() = {};
}

} // namespace
