#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/control_ids.h"
#include "resource_cases.h"
#include "support/fake_platform.h"
#include "ui/qt_dialog_controls.h"
#include "ui/resource_source.h"
#include "ui/velmora_dlg.h"

namespace {

/// The id of the template control that holds the focus (an address control for its fields).
int FocusedControl() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        bool ok = false;
        const int id = w->property(ResourceSource::ControlIdProperty).toInt(&ok);
        if (ok)
            return id;
    }
    return -1;
}

void Press(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key);
}

/// The controls that `count` presses of `key` pass through, from the focus where it is.
std::vector<int> Walk(Qt::Key key, size_t count) {
    std::vector<int> ids;
    for (size_t i = 0; i < count; ++i) {
        Press(key);
        ids.push_back(FocusedControl());
    }
    return ids;
}

/// A template built into an active dialog, every control of it shown.
class TemplateWindow {
public:
    explicit TemplateWindow(int templateId) {
        EXPECT_TRUE(ResourceSource::BuildDialog(templateId, dialog));
        if (QWidget* gnss = ResourceSource::FindControl(dialog, ctl::GnssGroup))
            gnss->show(); // the Russian template hides it until an adapter has it
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    void Focus(int id) { ResourceSource::FindControl(dialog, id)->setFocus(Qt::OtherFocusReason); }
    QRadioButton* Radio(int id) {
        return qobject_cast<QRadioButton*>(ResourceSource::FindControl(dialog, id));
    }

    QDialog dialog;
};

TEST(DialogKeys, TabAndShiftTabFollowTheTemplatesControlOrderInEverySource) {
    struct Order {
        int TemplateId;
        std::vector<int> Stops; ///< a radio group stops at its first button while none is checked
    };
    const Order orders[] = {
        {dlg::MainDialog,
         {1000, 1011, 1013, 1014, 1015, 1016, 1026, 1017, 1004, 1007, 1003, 1018, 1019,
          1020, 1021, 1023, 1022, 1025, 1024, 1027, 1033, 1031, 1032, 1036, 1041, 1042}},
        {dlg::AddParameter, {1000, 1003, 1025, 1026, ctl::IdOk, ctl::IdCancel, 1001, 1027}},
    };
    for (SourceCase source : AllSourceCases) {
        UseSourceCase(source);
        for (const Order& order : orders) {
            SCOPED_TRACE(testing::Message() << SourceCaseName(source) << " " << order.TemplateId);
            TemplateWindow window(order.TemplateId);
            window.Focus(order.Stops.back());
            std::vector<int> expected = order.Stops;
            EXPECT_EQ(Walk(Qt::Key_Tab, expected.size()), expected);
            window.Focus(order.Stops.front());
            std::reverse(expected.begin(), expected.end());
            EXPECT_EQ(Walk(Qt::Key_Backtab, expected.size()), expected);
        }
    }
}

TEST(DialogKeys, TabIntoARadioGroupLandsOnItsCheckedButton) {
    UseSourceCase(SourceCase::OwnEnglish);
    TemplateWindow window(dlg::MainDialog);
    QtDialogControls controls(window.dialog);

    controls.SetCheck(ctl::AddressModeManual, 1);
    window.Focus(ctl::DeviceAddressCombo);
    Press(Qt::Key_Tab);
    EXPECT_EQ(FocusedControl(), ctl::AddressModeManual);
    Press(Qt::Key_Space); // on the checked button Space changes nothing
    EXPECT_TRUE(window.Radio(ctl::AddressModeManual)->isChecked());

    controls.SetCheck(ctl::PolarizationOn, 1);
    window.Focus(ctl::ServerEdit);
    Press(Qt::Key_Tab);
    EXPECT_EQ(FocusedControl(), ctl::PolarizationOn);
    Press(Qt::Key_Down); // arrows move and check within the group
    EXPECT_EQ(FocusedControl(), ctl::PolarizationOff);
    EXPECT_TRUE(window.Radio(ctl::PolarizationOff)->isChecked());
    Press(Qt::Key_Tab);
    EXPECT_EQ(FocusedControl(), ctl::RangeOutOfControl); // none checked there: its first
    Press(Qt::Key_Backtab);
    EXPECT_EQ(FocusedControl(), ctl::PolarizationOff);

    // A click, and the program's clearing of the group, move the stop as well.
    QTest::mouseClick(window.Radio(ctl::PolarizationOutOfControl), Qt::LeftButton);
    window.Focus(ctl::RangeOutOfControl);
    Press(Qt::Key_Backtab);
    EXPECT_EQ(FocusedControl(), ctl::PolarizationOutOfControl);
    controls.SetCheck(ctl::PolarizationOutOfControl, 0);
    controls.SetCheck(ctl::RangeR3, 1);
    window.Focus(ctl::RangeR3);
    Press(Qt::Key_Backtab);
    EXPECT_EQ(FocusedControl(), ctl::PolarizationOutOfControl);
    window.Focus(ctl::ServerEdit);
    Press(Qt::Key_Tab);
    Press(Qt::Key_Tab);
    EXPECT_EQ(FocusedControl(), ctl::RangeR3);
}

TEST(DialogKeys, MainDialogHasNoDefaultButtonAndEnterClicksOnlyTheFocusedButton) {
    for (SourceCase source : AllSourceCases) {
        SCOPED_TRACE(SourceCaseName(source));
        UseSourceCase(source);
        FakePrompts prompts;
        CVelmoraDlg dialog;
        dialog.State().Prompts = &prompts;
        dialog.StartInputs().CommandLineTail = u"127.0.0.1:9";
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        const auto buttons = dialog.findChildren<QPushButton*>();
        auto noneDefault = [&] {
            return std::none_of(buttons.begin(), buttons.end(),
                                [](const QPushButton* b) { return b->isDefault(); });
        };
        EXPECT_TRUE(noneDefault());
        dialog.Control(ctl::ChangeMacButton)->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(noneDefault()); // a button with the focus is not drawn as the default either
        Press(Qt::Key_Return);
        EXPECT_EQ(prompts.EditTextCaptions.size(), 1u); // "Change" asked for the MAC address
        dialog.ServerEdit->setFocus(Qt::TabFocusReason);
        Press(Qt::Key_Return);
        Press(Qt::Key_Enter);
        EXPECT_EQ(prompts.EditTextCaptions.size(), 1u);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(noneDefault());
    }
}
} // namespace
