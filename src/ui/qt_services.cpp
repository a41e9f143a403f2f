#include "ui/qt_services.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <chrono>

#include "ui/qt_text.h"

uint32_t QtClock::TickCount() const {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

namespace {
QString Key(const std::u16string& section, const std::u16string& name) {
    return ToQString(section) + QLatin1Char('/') + ToQString(name);
}
} // namespace

QtProfile::QtProfile()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QLatin1String(ProfileOrganisation),
                                            QCoreApplication::applicationName())) {}

QtProfile::QtProfile(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

int QtProfile::GetProfileInt(const std::u16string& section, const std::u16string& name,
                             int defaultValue) const {
    bool ok = false;
    const int value = settings_->value(Key(section, name)).toInt(&ok);
    return ok ? value : defaultValue;
}

void QtProfile::WriteProfileInt(const std::u16string& section, const std::u16string& name,
                                int value) {
    settings_->setValue(Key(section, name), value);
    settings_->sync();
}

std::u16string QtProfile::GetProfileString(const std::u16string& section,
                                           const std::u16string& name,
                                           const std::u16string& defaultValue) const {
    const QVariant value = settings_->value(Key(section, name));
    return value.isValid() ? ToU16(value.toString()) : defaultValue;
}

void QtProfile::WriteProfileString(const std::u16string& section, const std::u16string& name,
                                   const std::u16string& value) {
    settings_->setValue(Key(section, name), ToQString(value));
    settings_->sync();
}

QtDialogWindow::QtDialogWindow(QWidget& window, std::function<void(uint32_t)> onTimer)
    : window_(window), onTimer_(std::move(onTimer)) {}

QtDialogWindow::~QtDialogWindow() = default;

std::u16string QtDialogWindow::GetTitle() const {
    return ToU16(window_.windowTitle());
}

void QtDialogWindow::SetTitle(const std::u16string& title) {
    window_.setWindowTitle(ToQString(title));
}

QTimer& QtDialogWindow::TimerOf(uint32_t id) {
    std::unique_ptr<QTimer>& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, timer.get(), [this, id] {
            if (onTimer_)
                onTimer_(id);
        });
    }
    return *timer;
}

uint32_t QtDialogWindow::SetTimer(uint32_t id, uint32_t periodMs) {
    QTimer& timer = TimerOf(id);
    timer.setSingleShot(false);
    timer.setTimerType(Qt::CoarseTimer);
    timer.start(static_cast<int>(periodMs));
    return id;
}

void QtDialogWindow::SetSingleShotTimer(uint32_t id, uint32_t delayMs) {
    QTimer& timer = TimerOf(id);
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(static_cast<int>(delayMs));
}

void QtDialogWindow::KillTimer(uint32_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    it->second->stop();
    it->second.release()->deleteLater();
    timers_.erase(it);
}

QTimer* QtDialogWindow::Timer(uint32_t id) const {
    auto it = timers_.find(id);
    return it == timers_.end() ? nullptr : it->second.get();
}

void QtDialogWindow::PostQuit(int exitCode) {
    quitCode_ = exitCode;
    QPointer<QWidget> window(&window_);
    QMetaObject::invokeMethod(
        &window_,
        [window] {
            // Innermost first: each modal window's loop ends, then the dialog's own.
            while (QWidget* modal = QApplication::activeModalWidget()) {
                if (modal == window.data())
                    break;
                modal->close();
                if (QApplication::activeModalWidget() == modal)
                    break; // refused to close; the dialog below still ends
            }
            if (!window)
                return;
            if (auto* dialog = qobject_cast<QDialog*>(window.data()))
                dialog->done(QDialog::Rejected);
            else
                window->close();
        },
        Qt::QueuedConnection);
}

void QtDialogWindow::PostTask(std::function<void()> task) {
    QMetaObject::invokeMethod(&window_, std::move(task), Qt::QueuedConnection);
}
