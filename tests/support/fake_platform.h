#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog_controls.h"
#include "platform/services.h"

/// In-memory dialog controls: every id is a control that exists once it is touched. Combos are
/// unsorted unless marked with SetSorted.
class FakeControls : public IDialogControls {
public:
    struct Control {
        int Check = 0;
        std::u16string Text;
        bool Enabled = true;
        bool Visible = true;
        // IP-address control: four fields, each blank or 0..255.
        std::array<int, 4> Fields{-1, -1, -1, -1};
        // Combo box.
        bool Sorted = false;
        std::vector<std::u16string> Entries;
        int CurSel = -1;
    };

    void SetSorted(int id, bool sorted) { controls_[id].Sorted = sorted; }
    Control& At(int id) { return controls_[id]; }
    const Control* Find(int id) const;
    /// Sets the four fields directly (-1 for a blank field), as a user would type them.
    void SetFields(int id, std::array<int, 4> fields) { controls_[id].Fields = fields; }

    int GetCheck(int id) const override;
    void SetCheck(int id, int state) override;
    std::u16string GetWindowText(int id) const override;
    void SetWindowText(int id, const std::u16string& text) override;
    void EnableWindow(int id, bool enable) override;
    bool IsWindowEnabled(int id) const override;
    void ShowWindow(int id, bool show) override;
    bool IsWindowVisible(int id) const override;
    int GetAddress(int id, uint32_t& address) const override;
    void SetAddress(int id, uint32_t address) override;
    void ClearAddress(int id) override;
    void ComboResetContent(int id) override;
    int ComboAddString(int id, const std::u16string& text) override;
    int ComboGetCount(int id) const override;
    int ComboGetCurSel(int id) const override;
    void ComboSetCurSel(int id, int index) override;
    std::u16string ComboGetLBText(int id, int index) const override;
    int ComboFindStringExact(int id, int start, const std::u16string& text) const override;

private:
    std::map<int, Control> controls_;
};

/// A clock moved by hand.
class FakeClock : public IClock {
public:
    uint32_t Now = 0;
    uint32_t TickCount() const override { return Now; }
    void Advance(uint32_t ms) { Now += ms; }
};

/// Records every datagram sent; can be made to fail creation or sends.
class FakeSocket : public IDatagramSocket {
public:
    struct Sent {
        std::vector<uint8_t> Data;
        uint16_t Port = 0;
        std::string Address;
    };
    std::vector<Sent> SentDatagrams;
    bool FailCreate = false;
    bool Open = false;

    bool Create() override {
        Open = !FailCreate;
        return Open;
    }
    bool IsOpen() const override { return Open; }
    void Close() override { Open = false; }
    bool SendTo(const uint8_t* data, size_t length, uint16_t port,
                const std::string& address) override;
};

/// "#<id>": what FakePrompts shows for a string it was given no text for.
std::u16string StringIdText(int stringId);

/// Scripted user: message boxes are recorded and answered from a queue (default Ok / Yes), the
/// small dialogs are answered by callbacks or queues.
class FakePrompts : public IUserPrompts {
public:
    struct Box {
        std::u16string Text;
        MbButtons Buttons;
    };
    std::map<int, std::u16string> Strings; ///< string table; missing ids give "#<id>"
    std::vector<Box> Boxes;
    std::deque<MbResult> Answers;
    /// Called while a message box is "open", to run what a nested event loop would.
    std::function<void()> DuringMessageBox;
    /// The same for the text dialog, the popup menu and the add-parameter dialog.
    std::function<void()> DuringDialog;

    /// One-line text dialog answers: nullopt = Cancel. The captions asked for are recorded.
    std::deque<std::optional<std::u16string>> EditTextAnswers;
    std::vector<std::u16string> EditTextCaptions;
    std::vector<std::u16string> EditTextInitial;

    struct PasswordAnswer {
        std::u16string Old, New, Again;
    };
    std::deque<std::optional<PasswordAnswer>> PasswordAnswers;
    std::deque<std::optional<std::u16string>> OpenFileAnswers;
    std::vector<std::pair<std::u16string, std::u16string>> OpenFileRequests; ///< filter, folder
    std::deque<int> MenuAnswers;
    std::vector<std::vector<MenuItem>> Menus;
    struct AddParameterAnswer {
        std::vector<uint32_t> Codes;
        int SendRate = 1;
    };
    /// Add-parameter dialog answers: nullopt = Cancel. Counts the openings.
    std::deque<std::optional<AddParameterAnswer>> AddParameterAnswers;
    int AddParameterOpenings = 0;

    /// The text given in Strings, else StringIdText(stringId).
    std::u16string LoadString(int stringId) const override;
    MbResult MessageBox(const std::u16string& text, MbButtons buttons) override;
    bool EditText(const std::u16string& caption, std::u16string& text) override;
    bool ChangePassword(std::u16string& oldPassword, std::u16string& newPassword,
                        std::u16string& newPasswordAgain) override;
    std::optional<std::u16string> OpenFile(const std::u16string& filter,
                                           const std::u16string& initialFolder) override;
    int PopupMenu(const std::vector<MenuItem>& items) override;
    bool AddParameter(const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                      const ChannelLayout* channels, std::vector<uint32_t>& codes,
                      int& sendRate) override;

    /// Texts of the boxes shown, in order.
    std::vector<std::u16string> Texts() const;
};

class FakeProfile : public IProfile {
public:
    std::map<std::pair<std::u16string, std::u16string>, int> Ints;
    std::map<std::pair<std::u16string, std::u16string>, std::u16string> Strings;

    int GetProfileInt(const std::u16string& section, const std::u16string& name,
                      int defaultValue) const override;
    void WriteProfileInt(const std::u16string& section, const std::u16string& name,
                         int value) override;
    std::u16string GetProfileString(const std::u16string& section, const std::u16string& name,
                                    const std::u16string& defaultValue) const override;
    void WriteProfileString(const std::u16string& section, const std::u16string& name,
                            const std::u16string& value) override;
};

class FakeNetworkInterfaces : public INetworkInterfaces {
public:
    std::vector<NetworkInterface> Interfaces;
    std::vector<NetworkInterface> List() const override { return Interfaces; }
};

/// The window's timers as records. Periodic timers are only recorded (tests tick them by hand);
/// single-shot timers fire from `Advance`, which moves `Clock` (set by the owner) and calls
/// `OnTimer` with each id whose time has come, at that time, earliest first, running what the
/// handler posted once it has returned.
class FakeWindow : public IDialogWindow {
public:
    std::u16string Title;
    std::map<uint32_t, uint32_t> Timers; ///< id -> period
    std::map<uint32_t, uint32_t> SingleShots; ///< id -> tick it fires at
    std::optional<int> QuitCode;
    FakeClock* Clock = nullptr;
    std::function<void(uint32_t)> OnTimer;

    std::u16string GetTitle() const override { return Title; }
    void SetTitle(const std::u16string& title) override { Title = title; }
    uint32_t SetTimer(uint32_t id, uint32_t periodMs) override {
        Timers[id] = periodMs;
        return id;
    }
    void SetSingleShotTimer(uint32_t id, uint32_t delayMs) override {
        SingleShots[id] = Clock->Now + delayMs;
    }
    void KillTimer(uint32_t id) override {
        Timers.erase(id);
        SingleShots.erase(id);
    }
    void PostQuit(int exitCode) override { QuitCode = exitCode; }
    /// Kept until `RunPosted`, or until a timer fired by `Advance` has returned.
    void PostTask(std::function<void()> task) override { Posted.push_back(std::move(task)); }
    std::deque<std::function<void()>> Posted;
    /// Runs the posted tasks, those they post too, in order.
    void RunPosted();

    /// Moves the clock by `ms`, firing the single-shot timers that come due on the way.
    void Advance(uint32_t ms);
};
