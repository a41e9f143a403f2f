#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/control_ids.h"
#include "resource_cases.h"
#include "ui/edit_text_dlg.h"
#include "ui/qt_services.h"
#include "ui/qt_user_prompts.h"
#include "ui/resource_source.h"
#include "ui/velmora_dlg.h"

namespace {
/// Runs `act` on the modal window that opens next, once its loop runs.
void OnNextModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
}
} // namespace

TEST(QtProfile, ValuesRoundTripAndMissingOrBadOnesGiveTheDefault) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("profile.ini"));
    {
        QtProfile profile(path);
        EXPECT_EQ(profile.GetProfileInt(u"ParTable", u"W0", 200), 200);
        EXPECT_EQ(profile.GetProfileString(u"BrowseSect", u"BinPath", u"none"), u"none");
        profile.WriteProfileInt(u"ParTable", u"W0", 0);
        profile.WriteProfileInt(u"ParTable", u"W1", 93);
        profile.WriteProfileString(u"BrowseSect", u"BinPath", u"/home/оператор/прошивки");
        profile.WriteProfileString(u"ParTable", u"W2", u"wide");
    }
    QtProfile profile(path);
    EXPECT_EQ(profile.GetProfileInt(u"ParTable", u"W0", 200), 0);
    EXPECT_EQ(profile.GetProfileInt(u"ParTable", u"W1", 70), 93);
    EXPECT_EQ(profile.GetProfileInt(u"ParTable", u"W2", 70), 70);
    EXPECT_EQ(profile.GetProfileString(u"BrowseSect", u"BinPath", u""), u"/home/оператор/прошивки");
    EXPECT_EQ(profile.GetProfileInt(u"BrowseSect", u"W1", 5), 5); // sections are apart
}

TEST(QtProfile, TheUsersValuesLiveUnderTheOrganisationAndTheProgramsName) {
    const QString file = QtProfile().FileName();
    EXPECT_TRUE(file.contains(QStringLiteral("/Corvanta/"))) << file.toStdString();
    EXPECT_TRUE(file.contains(QCoreApplication::applicationName())) << file.toStdString();
}

TEST(QtDialogWindow, OneTimerPerIdCallingBackWithItsId) {
    QWidget window;
    std::vector<uint32_t> fired;
    QtDialogWindow w(window, [&](uint32_t id) { fired.push_back(id); });
    EXPECT_EQ(w.SetTimer(1, 500), 1u);
    QTimer* timer = w.Timer(1);
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 500);
    EXPECT_EQ(w.SetTimer(1, 0), 1u); // restarted, not doubled
    EXPECT_EQ(w.Timer(1), timer);
    EXPECT_EQ(w.SetTimer(7, 0), 7u);
    QApplication::processEvents();
    std::sort(fired.begin(), fired.end());
    EXPECT_EQ(fired, (std::vector<uint32_t>{1, 7}));
    w.KillTimer(1);
    w.KillTimer(2); // none runs: nothing happens
    EXPECT_EQ(w.Timer(1), nullptr);

    w.SetTitle(u"Tarnel configuration (version 1.14)");
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tarnel configuration (version 1.14)"));
    EXPECT_EQ(w.GetTitle(), u"Tarnel configuration (version 1.14)");
}

TEST(QtDialogWindow, ASingleShotTimerNeverFiresEarly) {
    // Waited for in a running event loop, as the dialog waits: polling the events every few
    // milliseconds would hide an early firing. A timer allowed to fire early (Qt's coarse one,
    // by up to 5 %) does so in about a third of these runs.
    QWidget window;
    QEventLoop loop;
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    std::vector<std::chrono::steady_clock::time_point> fired;
    QtDialogWindow w(window, [&](uint32_t) {
        fired.push_back(std::chrono::steady_clock::now());
        loop.quit();
    });
    for (int run = 0; run < 20; ++run) {
        fired.clear();
        const auto start = std::chrono::steady_clock::now();
        w.SetSingleShotTimer(2, 25);
        giveUp.start(2000);
        loop.exec();
        ASSERT_EQ(fired.size(), 1u) << run;
        EXPECT_GE(fired[0] - start, std::chrono::milliseconds(25)) << run;
    }
}

TEST(QtDialogWindow, PostedQuitEndsTheModalRunAlsoFromWithinAMessageBox) {
    UseSourceCase(SourceCase::OwnEnglish);
    CVelmoraDlg dialog;
    QString caption;
    QTimer::singleShot(0, &dialog, [&] {
        OnNextModal([&](QWidget* box) {
            caption = box ? box->windowTitle() : QString();
            dialog.Window().PostQuit(1);
        });
        dialog.State().Prompts->MessageBoxId(107);
    });
    dialog.DoModal();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Window().QuitCode(), 1);
    EXPECT_EQ(caption, QCoreApplication::applicationName());
}

TEST(QtUserPrompts, MessageBoxAnswers) {
    UseSourceCase(SourceCase::OwnRussian);
    QWidget owner;
    QtUserPrompts prompts(owner);
    QString text;
    OnNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        text = box->text();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(prompts.MessageBox(u"Прервать?", MbButtons::YesNo), MbResult::No);
    EXPECT_EQ(text, QStringLiteral("Прервать?"));
    OnNextModal(
        [&](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(prompts.MessageBox(u"?", MbButtons::YesNo), MbResult::Yes);
    OnNextModal([&](QWidget* w) {
        text = qobject_cast<QMessageBox*>(w)->text();
        w->close();
    });
    EXPECT_EQ(prompts.MessageBoxId(108), MbResult::Ok);
    EXPECT_EQ(text, ResourceSource::LoadString(108));
}

TEST(QtUserPrompts, EditTextTakesTheTextOnOkOnly) {
    UseSourceCase(SourceCase::OwnEnglish);
    QWidget owner;
    QtUserPrompts prompts(owner);
    std::u16string text = u"00-1A";
    QString caption, shown;
    OnNextModal([&](QWidget* w) {
        caption = w->windowTitle();
        auto* edit = qobject_cast<QLineEdit*>(ResourceSource::FindControl(*w, ctl::EditText));
        shown = edit->text();
        edit->setText(QStringLiteral("00-1A-2B"));
        qobject_cast<QPushButton*>(ResourceSource::FindControl(*w, ctl::IdOk))->click();
    });
    EXPECT_TRUE(prompts.EditText(u"Enter MAC address", text));
    EXPECT_EQ(caption, QStringLiteral("Enter MAC address"));
    EXPECT_EQ(shown, QStringLiteral("00-1A"));
    EXPECT_EQ(text, u"00-1A-2B");

    OnNextModal([&](QWidget* w) {
        qobject_cast<QLineEdit*>(ResourceSource::FindControl(*w, ctl::EditText))->setText("x");
        qobject_cast<QPushButton*>(ResourceSource::FindControl(*w, ctl::IdCancel))->click();
    });
    EXPECT_FALSE(prompts.EditText(u"Enter VIN", text));
    EXPECT_EQ(text, u"00-1A-2B");
}

TEST(QtUserPrompts, PopupMenuReturnsTheChosenCommand) {
    QWidget owner;
    QtUserPrompts prompts(owner);
    const std::vector<MenuItem> items = {
        {1, u"Add", true}, {0, u"", true}, {2, u"Delete", false}, {3, u"Divide", true}};
    QStringList shown;
    bool deleteEnabled = true;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions()) {
            shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
            if (a->text() == QLatin1String("Delete"))
                deleteEnabled = a->isEnabled();
        }
        menu->setActiveAction(menu->actions().at(3));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    EXPECT_EQ(prompts.PopupMenu(items), 3);
    EXPECT_EQ(shown, (QStringList{"Add", "-", "Delete", "Divide"}));
    EXPECT_FALSE(deleteEnabled);

    QTimer::singleShot(0, [] { QApplication::activePopupWidget()->close(); });
    EXPECT_EQ(prompts.PopupMenu(items), 0);
}

TEST(QtUserPrompts, PopupMenuOpensWithItsTopRightCornerAtTheCursor) {
    QWidget owner;
    QtUserPrompts prompts(owner);
    QCursor::setPos(400, 300);
    const QPoint cursor = QCursor::pos();
    QRect shown;
    QTimer::singleShot(0, [&] {
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        shown = menu->geometry();
        menu->close();
    });
    EXPECT_EQ(prompts.PopupMenu({{1, u"Add parameter", true}, {2, u"Delete parameter", true}}), 0);
    ASSERT_GT(shown.width(), 0);
    ASSERT_GT(cursor.x(), shown.width()) << "room on the left of the cursor";
    EXPECT_EQ(shown.x() + shown.width(), cursor.x());
    EXPECT_EQ(shown.y(), cursor.y());
}

TEST(QtUserPrompts, FileFiltersInQtsForm) {
    struct Case {
        std::u16string Windows;
        const char* Qt;
    };
    const Case cases[] = {
        {u"Binary files (*.bin)|*.bin;*.ldr|All Files (*.*)|*.*||",
         "Binary files (*.bin *.ldr);;All Files (*)"},
        {u"License files (*.dat)|*.dat|All Files (*.*)|*.*||",
         "License files (*.dat);;All Files (*)"},
        {u"Keys|*.dat", "Keys (*.dat)"},
        {u"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QtFileFilter(c.Windows), QString::fromUtf8(c.Qt));
}
