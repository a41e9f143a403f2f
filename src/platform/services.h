#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ChannelLayout;
struct DeviceParamLayout;
struct TelemetryDescriptor;

/// The UDP socket of the link. Sending takes the destination as address text (dotted IPv4, else
/// a host name that is looked up) and a port; every failure is silent to the caller. Received
/// datagrams reach the link through the reply handler the dialog calls from its receive
/// notification.
class IDatagramSocket {
public:
    virtual ~IDatagramSocket() = default;
    /// Opens a datagram socket on any local port with broadcast permission; false on failure.
    virtual bool Create() = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;
    /// Sends one datagram; returns false when nothing was sent (closed socket, unknown host...).
    virtual bool SendTo(const uint8_t* data, size_t length, uint16_t port,
                        const std::string& address) = 0;
};

/// Millisecond tick count that wraps at 32 bits. Nothing waits on it: waits are timers of the
/// dialog window, so the user-interface thread never blocks.
class IClock {
public:
    virtual ~IClock() = default;
    virtual uint32_t TickCount() const = 0;
};

enum class MbButtons { Ok, YesNo };
enum class MbResult { Ok, Yes, No };

/// One entry of a popup menu: a command id (0 for a separator) and its text.
struct MenuItem {
    int Command = 0;
    std::u16string Text;
    bool Enabled = true;
};

/// What the operations ask of the user: message boxes (captioned with the application name),
/// the small modal dialogs, the open-file dialog and popup menus. Every call is modal: it runs a
/// nested event loop in which the timer and the socket keep being served.
class IUserPrompts {
public:
    virtual ~IUserPrompts() = default;
    /// Text of a string-table string in the current resource language; empty when absent.
    virtual std::u16string LoadString(int stringId) const = 0;
    virtual MbResult MessageBox(const std::u16string& text, MbButtons buttons = MbButtons::Ok) = 0;
    /// Message box with the text of a string-table string.
    MbResult MessageBoxId(int stringId, MbButtons buttons = MbButtons::Ok) {
        return MessageBox(LoadString(stringId), buttons);
    }
    /// One-line text dialog: shows `caption` and `text`; on OK stores the edited text in `text`
    /// and returns true; on Cancel leaves `text` unchanged and returns false.
    virtual bool EditText(const std::u16string& caption, std::u16string& text) = 0;
    /// Password-change dialog: on OK fills the three texts as typed and returns true.
    virtual bool ChangePassword(std::u16string& oldPassword, std::u16string& newPassword,
                                std::u16string& newPasswordAgain) = 0;
    /// Open-file dialog. `filter` is in the "Name (*.a)|*.a|All Files (*.*)|*.*||" form; returns
    /// the chosen path, or nothing when cancelled.
    virtual std::optional<std::u16string> OpenFile(const std::u16string& filter,
                                                   const std::u16string& initialFolder) = 0;
    /// Popup menu at the mouse cursor; returns the chosen command id, 0 when none was chosen.
    virtual int PopupMenu(const std::vector<MenuItem>& items) = 0;
    /// Add-parameter dialog over the working state's description (`channels`: the first of the
    /// eight channel blocks). On OK stores the chosen codes, in the order found, and the send
    /// rate, and returns true; on Cancel changes nothing and returns false.
    virtual bool AddParameter(const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                              const ChannelLayout* channels, std::vector<uint32_t>& codes,
                              int& sendRate) = 0;
};

/// Per-user profile values (sections and value names as the operations name them).
class IProfile {
public:
    virtual ~IProfile() = default;
    virtual int GetProfileInt(const std::u16string& section, const std::u16string& name,
                              int defaultValue) const = 0;
    virtual void WriteProfileInt(const std::u16string& section, const std::u16string& name,
                                 int value) = 0;
    virtual std::u16string GetProfileString(const std::u16string& section,
                                            const std::u16string& name,
                                            const std::u16string& defaultValue) const = 0;
    virtual void WriteProfileString(const std::u16string& section, const std::u16string& name,
                                    const std::u16string& value) = 0;
};

/// One local network interface with its first IPv4 address and mask, as dotted text (empty
/// when the interface has none).
struct NetworkInterface {
    std::string Name;
    std::string Address;
    std::string Mask;
    bool Loopback = false;
};

/// The local network interfaces, in the platform's order.
class INetworkInterfaces {
public:
    virtual ~INetworkInterfaces() = default;
    virtual std::vector<NetworkInterface> List() const = 0;
};

/// The dialog window itself: title, its timers by id, and ending the run. Every timer calls the
/// dialog's one timer handler with its id, on the user-interface thread.
class IDialogWindow {
public:
    virtual ~IDialogWindow() = default;
    virtual std::u16string GetTitle() const = 0;
    virtual void SetTitle(const std::u16string& title) = 0;
    /// Starts timer `id` with the given period; returns the id, 0 on failure.
    virtual uint32_t SetTimer(uint32_t id, uint32_t periodMs) = 0;
    /// Starts timer `id` to fire once, `delayMs` from now and never sooner (the settle time of
    /// an erase rests on it); a timer of that id still running is replaced. It returns at once:
    /// the wait blocks nothing.
    virtual void SetSingleShotTimer(uint32_t id, uint32_t delayMs) = 0;
    /// Stops timer `id` (periodic or single-shot) when it runs; it fires no more.
    virtual void KillTimer(uint32_t id) = 0;
    /// Ends the program's event loop with the given exit code once control returns to it.
    virtual void PostQuit(int exitCode) = 0;
    /// Runs `task` on the user-interface thread once the handler now running has returned to
    /// the event loop, in the order posted. A timer handler posts its message boxes: a box
    /// opened inside the handler would hold that timer back for as long as the box is open.
    virtual void PostTask(std::function<void()> task) = 0;
};
