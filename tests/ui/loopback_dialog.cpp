#include "loopback_dialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include <string>

#include "resource_cases.h"

bool ServeUntil(const std::function<bool()>& done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

LoopbackDialog::LoopbackDialog() {
    UseSourceCase(SourceCase::OwnEnglish);
    Dialog.State().Prompts = &Prompts;
    Dialog.State().Profile = &Profile;
}

bool LoopbackDialog::Start(uint16_t port) {
    const std::string target = "127.0.0.1:" + std::to_string(port);
    Dialog.StartInputs().CommandLineTail = std::u16string(target.begin(), target.end());
    Dialog.show();
    return ServeUntil([this] { return Dialog.DeviceAddressCombo->currentIndex() >= 0; }, 5000);
}

void LoopbackDialog::Click(int id) {
    qobject_cast<QAbstractButton*>(Dialog.Control(id))->click();
}
