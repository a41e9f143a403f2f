// libFuzzer entry: a program of datagrams and clock moves run against the reply handler from one
// of its states (idle, write probe pending, pumping, settle wait after an erase, reading the
// settings, VIN write sent; an adapter chosen in the device list or not). The test adapter
// answers the requests the program sends when a step asks it to; its replies can be held back,
// repeated, reordered or dropped, and any other datagram can come from the adapter or a stranger.
//
// After every step the run checks what the user and the adapter see against an account kept
// here from the datagrams alone: at most one erase or page request in flight, requests in the
// order of the queued jobs, "Write complete" only after the awaited acknowledgement of the last
// page (and after REQ_RESET_DEVICE went out), "Writing error" only for an awaited status-0
// acknowledgement or a write whose acknowledgement is 4000 ms late, no write left hanging, a VIN
// result only for a VIN write sent, the socket open after every datagram, and ConfigRead only
// once every announced entry page came in after the reading asked for it. The clock moves in steps of the polling timer's
// period; the settle timer after an erase fires on the way, at its time.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dialog/password_vin.h"
#include "fuzz_input.h"
#include "protocol/protocol.h"
#include "dialog/reply_handler.h"
#include "text/wide_text.h"
#include "dialog/write_pump.h"
#include "link_rig.h"
#include "platform/control_ids.h"
#include "support/test_adapter.h"

namespace {

/// An awaited acknowledgement this late ends the write; a write with no progress for this long
/// plus one timer period has been left hanging.
constexpr uint32_t WriteTimeoutMs = 4000;
constexpr uint32_t HangMs = WriteTimeoutMs + 2 * DialogTimerPeriodMs;
constexpr size_t HeldLimit = 64;
constexpr size_t EntryPageEntries = 32;

/// The adapter's reply framing, kept apart from the program's.
std::vector<uint8_t> Frame(uint32_t word, const std::vector<uint8_t>& payload) {
    ByteWriter w;
    w.U32(0x84857534).U32(0x7B7A8ACB).U32(word).Bytes(payload);
    return w.bytes;
}

/// Whether a datagram is a reply of a length its code is answered with (request word at 8).
bool IsAcceptedReply(const std::vector<uint8_t>& d) {
    if (d.size() < 12 || Le32(d, 0) != 0x84857534 || Le32(d, 4) != 0x7B7A8ACB)
        return false;
    switch (Le32(d, 8) & 0xFFFF) {
    case REQ_READ_EEPROM_DATA:
        return d.size() == 268;
    case REQ_WRITE_EEPROM_DATA:
        return d.size() == 13;
    case REQ_ERASE_EEPROM:
        return d.size() == 12;
    case REQ_READ_VIN:
        return d.size() == 16 || d.size() == 18 || d.size() == 20;
    case REQ_WRITE_VIN:
        return d.size() == 32;
    default:
        return false;
    }
}

class DispatchRun {
public:
    explicit DispatchRun(ByteReader& in) : in_(in) {
        adapter_.SetPassword(rig_.F.State.WritePassword);
        rig_.F.Prompts.DuringMessageBox = [this] { CheckResetBeforeComplete(); };
        rig_.F.Window.OnTimer = [this](uint32_t id) { Timer(id); };
    }

    void Run() {
        Setup();
        while (!in_.Empty())
            Step();
    }

private:
    DialogState& State() { return rig_.F.State; }
    uint32_t Now() const { return rig_.F.Clock.Now; }

    // ---- setup ----

    void Setup() {
        const uint8_t start = in_.U8();
        const uint8_t shape = in_.U8();
        const uint8_t entries = in_.U8();
        if ((start & DispatchAdapterChosen) != 0)
            AddDeviceAddress(State(), RigAdapterAddress);
        adapter_.LoadMemory(TestAdapter::SettingsFirstPage, RigSettingsImage(entries));
        switch (static_cast<DispatchStart>((start & 0x7F) % static_cast<uint8_t>(DispatchStart::Count))) {
        case DispatchStart::Idle:
            break;
        case DispatchStart::ProbePending:
            QueueWrite(shape);
            break;
        case DispatchStart::Pumping:
            QueueWrite(shape);
            AnswerLastAndDeliver(); // the probe reply starts the pump
            break;
        case DispatchStart::SettleWait:
            QueueWrite(shape);
            AnswerLastAndDeliver();
            AnswerLastAndDeliver(); // the first erase acknowledged
            break;
        case DispatchStart::Reading:
            OnGetSettings(State());
            AfterStep();
            AnswerLastAndDeliver(); // identification, page 0 asked for
            AnswerLastAndDeliver(); // page 0, page 1 asked for when entries are announced
            break;
        case DispatchStart::VinWriteSent:
            rig_.F.Prompts.EditTextAnswers.push_back(u"1234ABCD");
            OnAssignVin(State());
            AfterStep();
            break;
        case DispatchStart::Count:
            break;
        }
    }

    static WriteJob Job(std::deque<uint32_t> erases, uint32_t basePage, uint32_t pages) {
        WriteJob job;
        job.PreRequests = std::move(erases);
        job.BasePage = basePage;
        job.Data.resize(pages * 256 - 17);
        for (size_t i = 0; i < job.Data.size(); ++i)
            job.Data[i] = static_cast<uint8_t>(i * 31 + basePage);
        return job;
    }

    /// Queues the jobs of a settings save, a firmware write or a key write, as the writers do.
    void QueueWrite(uint8_t shape) {
        const uint32_t pages = 1 + (shape >> 2) % 3;
        std::vector<WriteJob> jobs;
        switch (shape % 3) {
        case 0:
            jobs.push_back(Job({EraseRequestWord(SettingsEraseWord)}, 0x700, pages));
            if ((shape & 0x40) != 0)
                jobs.push_back(Job({EraseRequestWord(DescriptorEraseWord(1))}, 0x610, 1));
            break;
        case 1: {
            std::deque<uint32_t> erases{EraseRequestWord(FirmwareEraseWord(0))};
            if ((shape & 0x10) != 0)
                erases.push_back(EraseRequestWord(FirmwareEraseWord(1)));
            jobs.push_back(Job(erases, 0, pages));
            break;
        }
        default:
            jobs.push_back(Job({EraseRequestWord(KeyEraseWord)}, 0x600, 3));
            break;
        }
        expected_.clear();
        for (const WriteJob& job : jobs) {
            expected_.insert(expected_.end(), job.PreRequests.begin(), job.PreRequests.end());
            for (uint32_t p = 0; p < job.PageCount(); ++p)
                expected_.push_back(job.PageRequestWord(p));
        }
        DropWriteQueue(State());
        QueueWriteJobs(State(), std::move(jobs));
        writeQueued_ = true;
        progressTick_ = Now();
        AfterStep();
    }

    void AnswerLastAndDeliver() {
        const auto& sent = rig_.F.Socket.SentDatagrams;
        if (sent.empty())
            return;
        for (const auto& reply : adapter_.Receive(sent.back().Data))
            Deliver(reply, false);
    }

    // ---- steps ----

    void Step() {
        allow111_ = allow110_ = allowReset_ = vinReplyDue_ = timeoutDue_ = false;
        const auto& sent = rig_.F.Socket.SentDatagrams;
        const auto op = static_cast<DispatchOp>(in_.U8() % static_cast<uint8_t>(DispatchOp::Count));
        switch (op) {
        case DispatchOp::Raw: {
            const uint8_t flags = in_.U8();
            size_t length = in_.U16() % 600;
            if ((flags & DispatchOversized) != 0)
                length += ReceiveBufferSize + 1;
            Deliver(in_.Bytes(length), (flags & DispatchFromStranger) != 0);
            break;
        }
        case DispatchOp::Framed: {
            const uint8_t flags = in_.U8();
            const uint32_t word = in_.U32();
            const size_t length = in_.U16() % 300;
            Deliver(Frame(word, in_.Bytes(length)), (flags & DispatchFromStranger) != 0);
            break;
        }
        case DispatchOp::Echo: {
            const uint8_t flags = in_.U8();
            const uint8_t back = in_.U8();
            const size_t length = in_.U16() % 300;
            const std::vector<uint8_t> payload = in_.Bytes(length);
            const uint32_t word = sent.empty() ? 0 : Le32(sent[sent.size() - 1 - back % sent.size()].Data, 8);
            Deliver(Frame(word, payload), (flags & DispatchFromStranger) != 0);
            break;
        }
        case DispatchOp::AdapterAnswer: {
            const uint8_t back = in_.U8();
            if (sent.empty())
                break;
            for (auto& reply : adapter_.Receive(sent[sent.size() - 1 - back % sent.size()].Data))
                if (held_.size() < HeldLimit)
                    held_.push_back(std::move(reply));
            break;
        }
        case DispatchOp::DeliverHeld: {
            const uint8_t flags = in_.U8();
            const uint8_t index = in_.U8();
            if (held_.empty())
                break;
            const size_t i = index % held_.size();
            const std::vector<uint8_t> reply = held_[i];
            if ((flags & DispatchKeepHeld) == 0)
                held_.erase(held_.begin() + static_cast<ptrdiff_t>(i));
            Deliver(reply, (flags & DispatchFromStranger) != 0);
            break;
        }
        case DispatchOp::Tick:
            Tick(in_.U16());
            break;
        case DispatchOp::Count:
            break;
        }
    }

    /// Moves the clock in steps of at most one timer period, as the dialog's timer sees it; the
    /// single-shot timers fire on the way.
    void Tick(uint32_t ms) {
        do {
            const uint32_t slice = std::min(ms, DialogTimerPeriodMs);
            ms -= slice;
            rig_.F.Window.Advance(slice);
            Timer(DialogTimerId);
            if (writeQueued_ && !writeEnded_ && Now() - progressTick_ > HangMs)
                FuzzFail("a write hangs: no request, acknowledgement or end for 5000 ms");
        } while (ms > 0);
    }

    void Timer(uint32_t id) {
        Trace("t=%u timer %u", Now(), id);
        timeoutDue_ = awaiting_ && Now() - awaitTick_ >= WriteTimeoutMs;
        OnDialogTimer(State(), id);
        rig_.F.Window.RunPosted(); // the boxes the tick posted open once it has returned
        AfterStep();
        timeoutDue_ = false;
    }

    /// Whether a reply from `source` reaches the dispatch: none chosen, or this one.
    bool FromChosen(const std::string& source) {
        const FakeControls::Control& combo = rig_.F.Controls.At(ctl::DeviceAddressCombo);
        if (combo.CurSel < 0)
            return true;
        return TrimWideSpace(rig_.F.Controls.GetWindowText(ctl::DeviceAddressCombo)) ==
               AsciiToWide(source);
    }

    void Deliver(const std::vector<uint8_t>& d, bool fromStranger) {
        const std::string& address = fromStranger ? RigStrangerAddress : RigAdapterAddress;
        const uint16_t port = fromStranger ? RigStrangerPort : RigAdapterPort;
        const bool dispatched = IsAcceptedReply(d) && FromChosen(SourceText(address, port));
        const uint32_t word = dispatched ? Le32(d, 8) : 0;
        const uint16_t code = static_cast<uint16_t>(word & 0xFFFF);
        if (dispatched && awaiting_ && word == *awaiting_ &&
            (code == REQ_WRITE_EEPROM_DATA || code == REQ_ERASE_EEPROM)) {
            awaiting_.reset();
            progressTick_ = Now();
            if (code == REQ_WRITE_EEPROM_DATA) {
                if (d[12] == 0)
                    allow110_ = true;
                else if (sentCount_ == expected_.size())
                    allow111_ = allowReset_ = true;
            }
        }
        if (dispatched && code == REQ_WRITE_VIN && vinWritesWaiting_ > 0)
            vinReplyDue_ = allowReset_ = true;
        if (dispatched && code == REQ_READ_EEPROM_DATA && pagesAsked_.contains(word >> 16))
            pagesIn_.insert(word >> 16);

        Trace("t=%u receive %zu bytes from %s word %08X%s", Now(), d.size(), address.c_str(),
              d.size() >= 12 ? Le32(d, 8) : 0, dispatched ? " (dispatched)" : "");
        rig_.Deliver(d, address, port);
        if (!rig_.F.Socket.Open)
            FuzzFail("a datagram closed the socket");
        if (dispatched && code == REQ_READ_EEPROM_DATA && (word >> 16) == 0) {
            reading_ = State().ConfigImage.size() >= 256;
            announced_ = d[12 + 0xB6] | d[12 + 0xB7] << 8;
            pagesIn_.clear();
            pagesAsked_.clear(); // the pages this page 0 asks for are noted after it
        }
        AfterStep();
    }

    /// Called while a box is open: "Write complete" follows the restart request.
    void CheckResetBeforeComplete() {
        if (rig_.F.Prompts.Boxes.back().Text != u"Write complete")
            return;
        const auto& sent = rig_.F.Socket.SentDatagrams;
        const bool resetSent = std::any_of(sent.begin() + static_cast<ptrdiff_t>(sentSeen_), sent.end(),
                                           [](const FakeSocket::Sent& s) {
                                               return Le32(s.Data, 8) == REQ_RESET_DEVICE;
                                           });
        if (!resetSent)
            FuzzFail("string 111 shown before REQ_RESET_DEVICE was sent");
    }

    void AfterStep() {
        const auto& sent = rig_.F.Socket.SentDatagrams;
        for (; sentSeen_ < sent.size(); ++sentSeen_) {
            const uint32_t word = Le32(sent[sentSeen_].Data, 8);
            const uint16_t code = static_cast<uint16_t>(word & 0xFFFF);
            Trace("t=%u   sent %08X to %s", Now(), word, sent[sentSeen_].Address.c_str());
            if (code == REQ_WRITE_EEPROM_DATA || code == REQ_ERASE_EEPROM) {
                if (writeEnded_ || !writeQueued_)
                    FuzzFail("an erase or page request after the write ended");
                if (awaiting_)
                    FuzzFail("two erase or page requests in flight");
                if (sentCount_ >= expected_.size() || expected_[sentCount_] != word)
                    FuzzFail("an erase or page request out of the jobs' order");
                ++sentCount_;
                awaiting_ = word;
                awaitTick_ = progressTick_ = Now();
            } else if (code == REQ_RESET_DEVICE) {
                if (!allowReset_)
                    FuzzFail("REQ_RESET_DEVICE sent without a finished write");
            } else if (code == REQ_WRITE_VIN) {
                ++vinWritesWaiting_;
            } else if (code == REQ_READ_EEPROM_DATA && (word >> 16) != 0) {
                pagesAsked_.insert(word >> 16);
            }
        }
        for (const std::u16string& box : rig_.NewBoxes()) {
            Trace("t=%u   box \"%s\"", Now(), std::string(box.begin(), box.end()).c_str());
            if (box == u"Write complete") {
                if (!allow111_ || writeEnded_)
                    FuzzFail("string 111 without the awaited acknowledgement of the last page");
                writeEnded_ = true;
            } else if (box == u"Writing error") {
                if (!writeQueued_ || writeEnded_ || !(allow110_ || timeoutDue_))
                    FuzzFail("string 110 without a failed page or a late acknowledgement");
                writeEnded_ = true;
            } else if (box == u"Device not responding") {
                writeEnded_ = true;
            } else if (box.starts_with(u"Result")) {
                if (!vinReplyDue_)
                    FuzzFail("a VIN write result that no VIN write waits for");
                --vinWritesWaiting_;
                vinReplyDue_ = false;
            } else if (box.starts_with(u"Socket error")) {
                FuzzFail("a datagram shows a socket error");
            }
        }
        const uint32_t configRead = State().ConfigRead;
        if (configRead == 1 && lastConfigRead_ == 0) {
            if (!reading_)
                FuzzFail("ConfigRead set with no settings page read");
            const uint32_t lastPage = (announced_ + EntryPageEntries - 1) / EntryPageEntries;
            for (uint32_t k = 1; k <= lastPage; ++k)
                if (!pagesIn_.contains(k))
                    FuzzFail(pagesAsked_.empty()
                                 ? "ConfigRead set by a page 0 that announces entries"
                                 : "ConfigRead set while an announced entry page is missing");
            reading_ = false;
        }
        lastConfigRead_ = configRead;
    }

    ByteReader& in_;
    LinkRig rig_;
    TestAdapter adapter_;
    std::vector<std::vector<uint8_t>> held_;
    size_t sentSeen_ = 0;

    // The write as the datagrams show it.
    std::vector<uint32_t> expected_;
    size_t sentCount_ = 0;
    bool writeQueued_ = false;
    bool writeEnded_ = false;
    std::optional<uint32_t> awaiting_;
    uint32_t awaitTick_ = 0;
    uint32_t progressTick_ = 0;
    int vinWritesWaiting_ = 0;

    // What the current step may show or send.
    bool allow111_ = false;
    bool allow110_ = false;
    bool allowReset_ = false;
    bool vinReplyDue_ = false;
    bool timeoutDue_ = false;

    // The settings read.
    bool reading_ = false;
    uint32_t announced_ = 0;
    /// Entry pages the current reading asked for, and those of them that came in since.
    std::set<uint32_t> pagesAsked_;
    std::set<uint32_t> pagesIn_;
    uint32_t lastConfigRead_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    DispatchRun(in).Run();
    return 0;
}
