#pragma once
#include <QPointer>
#include <QSettings>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/services.h"

class QTimer;
class QWidget;

/// Milliseconds of the steady clock cut to 32 bits, so the count wraps as the operations expect.
class QtClock : public IClock {
public:
    uint32_t TickCount() const override;
};

/// Organisation part of the per-user settings' location.
inline constexpr char ProfileOrganisation[] = "Corvanta";

/// Per-user values in QSettings under the organisation "Corvanta" and the application name,
/// one group per section.
class QtProfile : public IProfile {
public:
    /// The user's settings of this program.
    QtProfile();
    /// Settings kept in an INI file of the caller's choice (tests).
    explicit QtProfile(const QString& iniPath);

    int GetProfileInt(const std::u16string& section, const std::u16string& name,
                      int defaultValue) const override;
    void WriteProfileInt(const std::u16string& section, const std::u16string& name,
                         int value) override;
    std::u16string GetProfileString(const std::u16string& section, const std::u16string& name,
                                    const std::u16string& defaultValue) const override;
    void WriteProfileString(const std::u16string& section, const std::u16string& name,
                            const std::u16string& value) override;

    /// Where the values are kept.
    QString FileName() const { return settings_->fileName(); }

private:
    std::unique_ptr<QSettings> settings_;
};

/// The dialog's window: its title, one QTimer per timer id (periodic or single-shot) calling
/// `onTimer` with the id, and the quit request that ends the modal run. Periodic timers are
/// coarse: the polling they drive measures its intervals on the clock, so a tick a little early
/// shortens nothing.
class QtDialogWindow : public IDialogWindow {
public:
    QtDialogWindow(QWidget& window, std::function<void(uint32_t)> onTimer);
    ~QtDialogWindow() override;

    std::u16string GetTitle() const override;
    void SetTitle(const std::u16string& title) override;
    /// Starts timer `id`, or restarts it with the new period when it runs; returns `id`.
    uint32_t SetTimer(uint32_t id, uint32_t periodMs) override;
    /// A precise timer, which Qt never fires before `delayMs` have passed.
    void SetSingleShotTimer(uint32_t id, uint32_t delayMs) override;
    /// The timer is stopped at once and deleted once control is back in the event loop, so a
    /// handler may kill the timer that called it.
    void KillTimer(uint32_t id) override;
    /// Once control is back in the event loop, closes the modal windows open above the dialog
    /// and then the dialog; the run then ends with `exitCode`.
    void PostQuit(int exitCode) override;
    /// A queued call on the window: it runs from the event loop, after the handler returns.
    void PostTask(std::function<void()> task) override;

    /// Exit code of the last quit request, nothing when none was posted.
    std::optional<int> QuitCode() const { return quitCode_; }
    /// The running timer of `id`, null when none runs.
    QTimer* Timer(uint32_t id) const;

private:
    QTimer& TimerOf(uint32_t id);

    QWidget& window_;
    std::function<void(uint32_t)> onTimer_;
    std::map<uint32_t, std::unique_ptr<QTimer>> timers_;
    std::optional<int> quitCode_;
};
