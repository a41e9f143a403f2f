#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ui/ip_address_edit.h"

namespace {

/// An active window with an edit, two address controls and another edit, in Tab order.
class AddressKeys : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{before, first, second, after})
            layout->addWidget(w);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    /// Presses a key in whichever widget has the focus, as the keyboard does.
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    static void Type(const QString& text) {
        for (QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    static int FieldWithFocus(const IpAddressEdit* edit) {
        for (int i = 0; i < 4; ++i)
            if (edit->Field(i)->hasFocus())
                return i;
        return -1;
    }
    /// The control's text, readable in a failure's message.
    static std::string TextOf(const IpAddressEdit* edit) { return edit->Text().toStdString(); }
    static void Click(QLineEdit* field, int caret) {
        field->setFocus(Qt::MouseFocusReason);
        field->setCursorPosition(caret);
    }

    QWidget window;
    QLineEdit* before = new QLineEdit;
    IpAddressEdit* first = new IpAddressEdit;
    IpAddressEdit* second = new IpAddressEdit;
    QLineEdit* after = new QLineEdit;
};

/// A state the control may be in before the user Tabs into it and types an address.
struct StartState {
    const char* Name;
    std::function<void(IpAddressEdit&)> Make;
};

TEST_F(AddressKeys, TypedAddressIsTheAddressFromEveryStartingState) {
    const StartState starts[] = {
        {"blank", [](IpAddressEdit& e) { e.ClearAddress(); }},
        {"filled", [](IpAddressEdit& e) { e.SetText(QStringLiteral("192.168.10.20")); }},
        {"partly blank", [](IpAddressEdit& e) { e.SetText(QStringLiteral("10..1.")); }},
        {"third field selected",
         [](IpAddressEdit& e) {
             e.SetText(QStringLiteral("192.168.10.20"));
             e.Field(2)->setFocus(Qt::MouseFocusReason);
             e.Field(2)->selectAll();
         }},
        {"caret inside the second field",
         [](IpAddressEdit& e) {
             e.SetText(QStringLiteral("192.168.10.20"));
             Click(e.Field(1), 1);
         }},
        {"caret at the end",
         [](IpAddressEdit& e) {
             e.SetText(QStringLiteral("192.168.10.20"));
             Click(e.Field(3), 2);
         }},
    };
    struct Typed {
        const char* Keys;
        const char* Reads;
    };
    const Typed typed[] = {
        {"192.168.1.20", "192.168.1.20"},   {"172.100.200.254", "172.100.200.254"},
        {"10.0.0.1", "10.0.0.1"},           {"1.22.133.4", "1.22.133.4"},
        {"255.255.255.0", "255.255.255.0"}, {"192168001020", "192.168.1.20"},
    };
    for (bool backwards : {false, true}) {
        for (const StartState& start : starts) {
            for (const Typed& t : typed) {
                SCOPED_TRACE(testing::Message() << start.Name << ", " << t.Keys
                                                << (backwards ? ", Shift+Tab" : ", Tab"));
                start.Make(*first);
                // The user leaves the control and comes back to it by Tab or Shift+Tab.
                (backwards ? static_cast<QWidget*>(second) : before)
                    ->setFocus(Qt::OtherFocusReason);
                Press(backwards ? Qt::Key_Backtab : Qt::Key_Tab);
                ASSERT_EQ(FieldWithFocus(first), 0);
                Type(QString::fromLatin1(t.Keys));
                EXPECT_EQ(TextOf(first), t.Reads);
                // The last field's dot and digits stay in it; Tab then leaves the control.
                Press(Qt::Key_Tab);
                EXPECT_EQ(FieldWithFocus(second), 0);
            }
        }
    }
}

TEST_F(AddressKeys, PastedAddressFillsAllFieldsOrIsRefusedWhole) {
    struct Paste {
        const char* Clipboard;
        const char* Reads; ///< nullptr: refused, the control unchanged
    };
    const Paste pastes[] = {
        {"192.168.1.20", "192.168.1.20"}, {" 10.0.0.1\n", "10.0.0.1"}, {"192.168.1", nullptr},
        {"192.168.1.20.5", nullptr},      {"192.168.1.256", nullptr},  {"192.168..20", nullptr},
        {"192.168.1.2x", nullptr},        {"1234", nullptr},
    };
    for (const char* before : {"0.0.0.0", "", "172.16.5."}) {
        for (const Paste& p : pastes) {
            for (int field : {0, 2}) {
                SCOPED_TRACE(testing::Message() << '"' << before << "\" + \"" << p.Clipboard
                                                << "\" in field " << field);
                first->SetText(QString::fromLatin1(before));
                Click(first->Field(field), 1);
                const std::string was = TextOf(first);
                QApplication::clipboard()->setText(QString::fromLatin1(p.Clipboard));
                Press(Qt::Key_V, Qt::ControlModifier);
                EXPECT_EQ(TextOf(first), p.Reads ? std::string(p.Reads) : was);
            }
        }
    }
    // A number without a dot pastes into its field as any text does.
    first->SetText(QStringLiteral("10.0.0.1"));
    Click(first->Field(3), 1);
    QApplication::clipboard()->setText(QStringLiteral("2"));
    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(TextOf(first), "10.0.0.12");

    // The field's menu pastes in the same way.
    Click(first->Field(1), 0);
    QApplication::clipboard()->setText(QStringLiteral("192.168.1.20"));
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(1, 1),
                                first->Field(1)->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(first->Field(1), &menuEvent);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* paste = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().startsWith(QLatin1String("&Paste")))
            paste = action;
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    menu->close();
    EXPECT_EQ(TextOf(first), "192.168.1.20");
}

TEST_F(AddressKeys, EachControlIsOneTabStopWhereverTheCaretIs) {
    first->SetText(QStringLiteral("10.1.2.3"));
    second->SetText(QStringLiteral("10.4.5.6"));
    before->setFocus(Qt::OtherFocusReason);
    Press(Qt::Key_Tab);
    EXPECT_EQ(FieldWithFocus(first), 0);
    EXPECT_EQ(first->Field(0)->selectedText(), QStringLiteral("10"));
    Press(Qt::Key_Tab);
    EXPECT_EQ(FieldWithFocus(second), 0);
    Press(Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    for (int field = 0; field < 4; ++field) {
        SCOPED_TRACE(field);
        Click(first->Field(field), 1);
        Press(Qt::Key_Tab);
        EXPECT_EQ(FieldWithFocus(second), 0);
        Click(first->Field(field), 1);
        Press(Qt::Key_Backtab);
        EXPECT_TRUE(before->hasFocus());
        Click(second->Field(field), 0);
        Press(Qt::Key_Backtab);
        EXPECT_EQ(FieldWithFocus(first), 0);
    }
}

TEST_F(AddressKeys, LeftRightAndBackspaceCrossIntoTheNeighbouringField) {
    struct Move {
        int Field, Caret;
        Qt::Key Key;
        int ToField, ToCaret; ///< ToCaret -1: the key stayed in the field
    };
    const Move moves[] = {
        {1, 0, Qt::Key_Left, 0, 2},      {1, 1, Qt::Key_Left, 1, 0},
        {0, 0, Qt::Key_Left, 0, 0},      {1, 2, Qt::Key_Right, 2, 0},
        {1, 1, Qt::Key_Right, 1, 2},     {3, 2, Qt::Key_Right, 3, 2},
        {2, 0, Qt::Key_Backspace, 1, 2}, {0, 0, Qt::Key_Backspace, 0, 0},
    };
    for (const Move& m : moves) {
        SCOPED_TRACE(testing::Message()
                     << "field " << m.Field << " caret " << m.Caret << " key " << m.Key);
        first->SetText(QStringLiteral("10.20.30.40"));
        Click(first->Field(m.Field), m.Caret);
        Press(m.Key);
        ASSERT_EQ(FieldWithFocus(first), m.ToField);
        EXPECT_EQ(first->Field(m.ToField)->cursorPosition(), m.ToCaret);
        EXPECT_EQ(TextOf(first), "10.20.30.40"); // Backspace moved, deleted none
    }
    // Backspace inside a field deletes as usual; at its start after that, it goes back.
    first->SetText(QStringLiteral("10.20.30.40"));
    Click(first->Field(2), 1);
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(TextOf(first), "10.2.0.40");
}
} // namespace
