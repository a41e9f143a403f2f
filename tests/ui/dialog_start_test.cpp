#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "resource_cases.h"
#include "support/fake_platform.h"
#include "support/test_adapter.h"
#include "ui/velmora_dlg.h"

namespace {

const std::vector<uint8_t> ReadVinRequest = {0xCB, 0x8A, 0x7A, 0x7B, 0x34, 0x75, 0x85,
                                             0x84, 0x05, 0x00, 0x00, 0x00, 0x34, 0x75,
                                             0x85, 0x84, 0xCB, 0x8A, 0x7A, 0x7B};

std::string LoopbackTarget(uint16_t port) {
    return "127.0.0.1:" + std::to_string(port);
}

/// Serves the event loop for `ms` milliseconds of real time (for I/O to arrive, not to time
/// anything).
void ServeEvents(int ms) {
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

/// The real dialog with the user and the profile replaced by fakes, and a local interface that
/// must never be used while the command line names a target.
class DialogStart : public ::testing::Test {
protected:
    void SetUp() override {
        UseSourceCase(SourceCase::OwnEnglish);
        interfaces.Interfaces = {{"eth0", "192.0.2.10", "255.255.255.0", false}};
        dialog = std::make_unique<CVelmoraDlg>();
        dialog->State().Prompts = &prompts;
        dialog->State().Profile = &profile;
        dialog->StartInputs().Interfaces = &interfaces;
    }
    void SetCommandLine(const std::string& text) {
        dialog->StartInputs().CommandLineTail = std::u16string(text.begin(), text.end());
    }

    FakePrompts prompts;
    FakeProfile profile;
    FakeNetworkInterfaces interfaces;
    std::unique_ptr<CVelmoraDlg> dialog;
};

TEST_F(DialogStart, SendsTheDiscoveryRequestToALoopbackAdapterAndRuns) {
    TestAdapter adapter;
    const uint16_t port = adapter.Start();
    SetCommandLine(LoopbackTarget(port));
    dialog->show();

    ASSERT_TRUE(adapter.WaitForReceived(1, 5000));
    ServeEvents(200); // the adapter's reply reaches the socket and the settings read begins
    const auto received = adapter.Received();
    ASSERT_GE(received.size(), 1u);
    EXPECT_EQ(received[0].bytes, ReadVinRequest);

    EXPECT_TRUE(prompts.Boxes.empty()) << "the description loads";
    EXPECT_TRUE(dialog->windowTitle().contains(QStringLiteral("1.14")));
    EXPECT_FALSE(dialog->windowTitle().contains(QStringLiteral("X.X")));
    ASSERT_NE(dialog->Window().Timer(1), nullptr);
    EXPECT_EQ(dialog->Window().Timer(1)->interval(), 500);
    EXPECT_FALSE(dialog->Control(ctl::SendSignalTele)->isEnabled());
    EXPECT_GT(dialog->TeleTypeCombo->count(), 0);
    EXPECT_EQ(dialog->State().RequestTargets, (std::vector<RequestTarget>{{"127.0.0.1", port}}));

    // Destroying the window stores the column widths.
    dialog.reset();
    for (const char16_t* name : {u"W0", u"W1", u"W2"}) {
        EXPECT_EQ(profile.Ints.count({u"ParTable", name}), 1u);
    }
    adapter.Stop();
}

TEST_F(DialogStart, BadCommandLineShowsTheErrorAndEndsTheRunWithCodeOneSendingNothing) {
    FakeSocket socket;
    dialog->State().LinkSocket = &socket;
    prompts.Strings[ids::WrongPort] = u"Error: wrong port selected";
    SetCommandLine("127.0.0.1-2:40-41");
    // Only a guard against a run that would not end; the quit ends it at once.
    QTimer::singleShot(5000, dialog.get(), [this] { dialog->reject(); });

    dialog->DoModal();

    EXPECT_EQ(prompts.Texts(), std::vector<std::u16string>{u"Error: wrong port selected"});
    EXPECT_EQ(dialog->Window().QuitCode(), 1);
    EXPECT_FALSE(socket.Open);
    EXPECT_TRUE(socket.SentDatagrams.empty());
    EXPECT_EQ(dialog->Window().Timer(1), nullptr);
}

/// The built program, started as a user would with a loopback target, sends its discovery
/// request there.
TEST(ProgramSmoke, StartedWithALoopbackTargetSendsTheDiscoveryRequest) {
    QUdpSocket receiver;
    ASSERT_TRUE(receiver.bind(QHostAddress::LocalHost, 0));
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(VELMORA_PROGRAM_DIR "/velmora"),
                  {QString::fromStdString(LoopbackTarget(receiver.localPort()))});
    ASSERT_TRUE(program.waitForStarted(10000));

    QNetworkDatagram datagram;
    const QDeadlineTimer deadline(20000);
    while (!datagram.isValid() && !deadline.hasExpired() && program.state() == QProcess::Running) {
        if (receiver.waitForReadyRead(100) || receiver.hasPendingDatagrams()) {
            datagram = receiver.receiveDatagram();
        }
    }
    const bool stillRunning = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished(5000);

    ASSERT_TRUE(datagram.isValid()) << program.readAllStandardError().toStdString();
    const QByteArray bytes = datagram.data();
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), ReadVinRequest);
    EXPECT_TRUE(stillRunning);
}

} // namespace
