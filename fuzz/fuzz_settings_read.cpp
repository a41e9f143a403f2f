// libFuzzer entry: page replies of arbitrary bytes received in any order (page 0, then entry
// pages, any index, any length), with "Get settings" between them and steps run inside the
// message box an entry page may open, as the box's event loop would run them, so replies arrive
// while the page that opened the box is still being read.
//
// Checked after every step: a reading ends with ConfigRead = 1 only when every entry page that
// its page 0 announces came in after this reading asked for it, and then the image is page 0
// followed by exactly those pages, each holding the bytes of one of the copies that came so, and
// the parameter map holds what the image's entries give.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "fuzz_input.h"
#include "config/settings_image.h"
#include "dialog/reply_handler.h"
#include "protocol/protocol.h"
#include "link_rig.h"

namespace {

constexpr size_t PageBytes = 256;
constexpr uint32_t EntriesPerPage = 32;

class SettingsRun {
public:
    explicit SettingsRun(ByteReader& in) : in_(in) {
        const uint8_t setup = in_.U8();
        State().DinModeFlag = (setup & SettingsDinMode) != 0 ? 1 : 0;
        State().FirmwareVersion = (setup & SettingsOldFirmware) != 0 ? 0x0105 : 0x0200;
        rig_.F.Prompts.DuringMessageBox = [this] {
            if (nested_ > 0) {
                --nested_;
                Step();
            }
        };
    }

    void Run() {
        while (!in_.Empty())
            Step();
    }

private:
    DialogState& State() { return rig_.F.State; }

    void Step() {
        switch (static_cast<SettingsOp>(in_.U8() % static_cast<uint8_t>(SettingsOp::Count))) {
        case SettingsOp::Page: {
            const uint32_t index = in_.U16();
            const size_t length = in_.U16() % 300;
            Page(index, in_.Bytes(length));
            break;
        }
        case SettingsOp::GetSettings:
            Trace("get settings");
            OnGetSettings(State());
            reading_ = false;
            asked_.clear();
            NoteRequests();
            Check();
            break;
        case SettingsOp::Nested:
            ++nested_;
            break;
        case SettingsOp::Count:
            break;
        }
    }

    void Page(uint32_t index, const std::vector<uint8_t>& bytes) {
        // Only a reply of one whole page reaches the reading.
        const bool whole = bytes.size() == PageBytes;
        if (whole && index != 0 && asked_.contains(index))
            pages_[index].push_back(bytes);
        Trace("page %u (%zu bytes), nested %d", index, bytes.size(), nested_);
        ByteWriter reply;
        reply.U32(0x84857534).U32(0x7B7A8ACB).U32(index << 16 | REQ_READ_EEPROM_DATA).Bytes(bytes);
        rig_.Deliver(reply.bytes, RigAdapterAddress, RigAdapterPort);
        Trace("  page %u done: ConfigRead %u, image %zu bytes", index, State().ConfigRead,
              State().ConfigImage.size());
        if (whole && index == 0) {
            // A page 0 the reading takes starts it afresh.
            reading_ = !State().ConfigImage.empty();
            page0_ = bytes;
            announced_ = bytes[0xB6] | bytes[0xB7] << 8;
            pages_.clear();
            asked_.clear();
        }
        NoteRequests();
        Check();
    }

    /// Takes the page requests sent since the last look as asked for by the current reading.
    void NoteRequests() {
        const auto& sent = rig_.F.Socket.SentDatagrams;
        for (; sentSeen_ < sent.size(); ++sentSeen_) {
            const uint32_t word = Le32(sent[sentSeen_].Data, 8);
            if ((word & 0xFFFF) == REQ_READ_EEPROM_DATA && (word >> 16) != 0)
                asked_.insert(word >> 16);
        }
    }

    void Check() {
        const uint32_t configRead = State().ConfigRead;
        if (configRead == 1 && lastConfigRead_ == 0) {
            if (!reading_)
                FuzzFail("ConfigRead set with no settings page read");
            const uint32_t lastPage = (announced_ + EntriesPerPage - 1) / EntriesPerPage;
            const std::vector<uint8_t>& image = State().ConfigImage;
            for (uint32_t k = 1; k <= lastPage; ++k)
                if (!pages_.contains(k))
                    FuzzFail(asked_.empty()
                                 ? "ConfigRead set by a page 0 that announces entries"
                                 : "ConfigRead set while an announced entry page is missing");
            if (image.size() != (lastPage + 1) * PageBytes) {
                FuzzFail("the image read is not page 0 and the announced entry pages");
            } else {
                if (!std::equal(page0_.begin(), page0_.end(), image.begin()))
                    FuzzFail("the image read does not begin with its page 0");
                for (const auto& [k, copies] : pages_) {
                    if (k > lastPage)
                        continue;
                    const auto at = image.begin() + static_cast<ptrdiff_t>(k * PageBytes);
                    if (std::none_of(copies.begin(), copies.end(), [at](const auto& bytes) {
                            return std::equal(bytes.begin(), bytes.end(), at);
                        }))
                        FuzzFail("an entry page of the image differs from every copy read");
                }
                const auto decoded = DecodeSettingsImage(image);
                if (!decoded || decoded->Params != State().SelectedParamMap)
                    FuzzFail("the parameter map is not what the image read gives");
            }
            reading_ = false;
        }
        lastConfigRead_ = configRead;
    }

    ByteReader& in_;
    LinkRig rig_;
    int nested_ = 0;
    bool reading_ = false;
    uint32_t announced_ = 0;
    std::vector<uint8_t> page0_;
    /// Entry pages the current reading asked for, and the copies of each that came since.
    std::set<uint32_t> asked_;
    std::map<uint32_t, std::vector<std::vector<uint8_t>>> pages_;
    size_t sentSeen_ = 0;
    uint32_t lastConfigRead_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    SettingsRun(in).Run();
    return 0;
}
