#include "support/fake_platform.h"

#include <algorithm>
#include <cwctype>

namespace {
char16_t Fold(char16_t c) {
    return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c)));
}

bool EqualNoCase(const std::u16string& a, const std::u16string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
}

bool LessNoCase(const std::u16string& a, const std::u16string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](char16_t x, char16_t y) { return Fold(x) < Fold(y); });
}
} // namespace

const FakeControls::Control* FakeControls::Find(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

int FakeControls::GetCheck(int id) const {
    const Control* c = Find(id);
    return c ? c->Check : 0;
}
void FakeControls::SetCheck(int id, int state) { controls_[id].Check = state; }

std::u16string FakeControls::GetWindowText(int id) const {
    const Control* c = Find(id);
    if (!c)
        return {};
    if (!c->Entries.empty() || c->CurSel >= 0)
        return c->CurSel >= 0 && c->CurSel < static_cast<int>(c->Entries.size())
                   ? c->Entries[c->CurSel]
                   : c->Text;
    return c->Text;
}
void FakeControls::SetWindowText(int id, const std::u16string& text) { controls_[id].Text = text; }

void FakeControls::EnableWindow(int id, bool enable) { controls_[id].Enabled = enable; }
bool FakeControls::IsWindowEnabled(int id) const {
    const Control* c = Find(id);
    return c ? c->Enabled : true;
}
void FakeControls::ShowWindow(int id, bool show) { controls_[id].Visible = show; }
bool FakeControls::IsWindowVisible(int id) const {
    const Control* c = Find(id);
    return c ? c->Visible : true;
}

int FakeControls::GetAddress(int id, uint32_t& address) const {
    address = 0;
    const Control* c = Find(id);
    if (!c)
        return 0;
    int filled = 0;
    for (int i = 0; i < 4; ++i) {
        if (c->Fields[i] >= 0) {
            ++filled;
            address |= static_cast<uint32_t>(c->Fields[i] & 0xFF) << (8 * (3 - i));
        }
    }
    return filled;
}
void FakeControls::SetAddress(int id, uint32_t address) {
    for (int i = 0; i < 4; ++i)
        controls_[id].Fields[i] = static_cast<int>((address >> (8 * (3 - i))) & 0xFF);
}
void FakeControls::ClearAddress(int id) { controls_[id].Fields = {-1, -1, -1, -1}; }

void FakeControls::ComboResetContent(int id) {
    controls_[id].Entries.clear();
    controls_[id].CurSel = -1;
}
int FakeControls::ComboAddString(int id, const std::u16string& text) {
    Control& c = controls_[id];
    auto pos = c.Entries.end();
    if (c.Sorted)
        pos = std::upper_bound(c.Entries.begin(), c.Entries.end(), text, LessNoCase);
    int index = static_cast<int>(pos - c.Entries.begin());
    c.Entries.insert(pos, text);
    if (c.CurSel >= index)
        ++c.CurSel;
    return index;
}
int FakeControls::ComboGetCount(int id) const {
    const Control* c = Find(id);
    return c ? static_cast<int>(c->Entries.size()) : 0;
}
int FakeControls::ComboGetCurSel(int id) const {
    const Control* c = Find(id);
    return c ? c->CurSel : -1;
}
void FakeControls::ComboSetCurSel(int id, int index) {
    Control& c = controls_[id];
    c.CurSel = index >= 0 && index < static_cast<int>(c.Entries.size()) ? index : -1;
}
std::u16string FakeControls::ComboGetLBText(int id, int index) const {
    const Control* c = Find(id);
    if (!c || index < 0 || index >= static_cast<int>(c->Entries.size()))
        return {};
    return c->Entries[index];
}
int FakeControls::ComboFindStringExact(int id, int start, const std::u16string& text) const {
    const Control* c = Find(id);
    if (!c)
        return -1;
    for (int i = std::max(start + 1, 0); i < static_cast<int>(c->Entries.size()); ++i)
        if (EqualNoCase(c->Entries[i], text))
            return i;
    return -1;
}

bool FakeSocket::SendTo(const uint8_t* data, size_t length, uint16_t port,
                        const std::string& address) {
    if (!Open)
        return false;
    SentDatagrams.push_back({std::vector<uint8_t>(data, data + length), port, address});
    return true;
}

std::u16string StringIdText(int stringId) {
    std::u16string text = u"#";
    for (const char digit : std::to_string(stringId))
        text += static_cast<char16_t>(digit);
    return text;
}

std::u16string FakePrompts::LoadString(int stringId) const {
    auto it = Strings.find(stringId);
    if (it != Strings.end())
        return it->second;
    return StringIdText(stringId);
}

MbResult FakePrompts::MessageBox(const std::u16string& text, MbButtons buttons) {
    Boxes.push_back({text, buttons});
    if (DuringMessageBox)
        DuringMessageBox();
    if (!Answers.empty()) {
        MbResult r = Answers.front();
        Answers.pop_front();
        return r;
    }
    return buttons == MbButtons::YesNo ? MbResult::Yes : MbResult::Ok;
}

bool FakePrompts::EditText(const std::u16string& caption, std::u16string& text) {
    EditTextCaptions.push_back(caption);
    EditTextInitial.push_back(text);
    if (DuringDialog)
        DuringDialog();
    if (EditTextAnswers.empty())
        return false;
    auto answer = EditTextAnswers.front();
    EditTextAnswers.pop_front();
    if (!answer)
        return false;
    text = *answer;
    return true;
}

bool FakePrompts::ChangePassword(std::u16string& oldPassword, std::u16string& newPassword,
                                 std::u16string& newPasswordAgain) {
    if (PasswordAnswers.empty())
        return false;
    auto answer = PasswordAnswers.front();
    PasswordAnswers.pop_front();
    if (!answer)
        return false;
    oldPassword = answer->Old;
    newPassword = answer->New;
    newPasswordAgain = answer->Again;
    return true;
}

std::optional<std::u16string> FakePrompts::OpenFile(const std::u16string& filter,
                                                    const std::u16string& initialFolder) {
    OpenFileRequests.emplace_back(filter, initialFolder);
    if (OpenFileAnswers.empty())
        return std::nullopt;
    auto answer = OpenFileAnswers.front();
    OpenFileAnswers.pop_front();
    return answer;
}

int FakePrompts::PopupMenu(const std::vector<MenuItem>& items) {
    Menus.push_back(items);
    if (DuringDialog)
        DuringDialog();
    if (MenuAnswers.empty())
        return 0;
    int answer = MenuAnswers.front();
    MenuAnswers.pop_front();
    return answer;
}

bool FakePrompts::AddParameter(const TelemetryDescriptor& /*desc*/,
                               const DeviceParamLayout& /*layout*/,
                               const ChannelLayout* /*channels*/, std::vector<uint32_t>& codes,
                               int& sendRate) {
    ++AddParameterOpenings;
    if (DuringDialog)
        DuringDialog();
    if (AddParameterAnswers.empty())
        return false;
    std::optional<AddParameterAnswer> answer = AddParameterAnswers.front();
    AddParameterAnswers.pop_front();
    if (!answer)
        return false;
    codes = answer->Codes;
    sendRate = answer->SendRate;
    return true;
}

std::vector<std::u16string> FakePrompts::Texts() const {
    std::vector<std::u16string> texts;
    for (const Box& b : Boxes)
        texts.push_back(b.Text);
    return texts;
}

int FakeProfile::GetProfileInt(const std::u16string& section, const std::u16string& name,
                               int defaultValue) const {
    auto it = Ints.find({section, name});
    return it == Ints.end() ? defaultValue : it->second;
}
void FakeProfile::WriteProfileInt(const std::u16string& section, const std::u16string& name,
                                  int value) {
    Ints[{section, name}] = value;
}
std::u16string FakeProfile::GetProfileString(const std::u16string& section,
                                             const std::u16string& name,
                                             const std::u16string& defaultValue) const {
    auto it = Strings.find({section, name});
    return it == Strings.end() ? defaultValue : it->second;
}
void FakeProfile::WriteProfileString(const std::u16string& section, const std::u16string& name,
                                     const std::u16string& value) {
    Strings[{section, name}] = value;
}

void FakeWindow::Advance(uint32_t ms) {
    for (;;) {
        // Earliest timer due within what is left of the step (unsigned: the tick count wraps).
        auto next = SingleShots.end();
        for (auto it = SingleShots.begin(); it != SingleShots.end(); ++it) {
            if (it->second - Clock->Now <= ms &&
                (next == SingleShots.end() || it->second - Clock->Now < next->second - Clock->Now))
                next = it;
        }
        if (next == SingleShots.end())
            break;
        const uint32_t id = next->first;
        const uint32_t step = next->second - Clock->Now;
        SingleShots.erase(next);
        Clock->Now += step;
        ms -= step;
        if (OnTimer)
            OnTimer(id);
        RunPosted();
    }
    Clock->Now += ms;
}

void FakeWindow::RunPosted() {
    while (!Posted.empty()) {
        std::function<void()> task = std::move(Posted.front());
        Posted.pop_front();
        task();
    }
}
