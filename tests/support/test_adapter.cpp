#include "support/test_adapter.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The adapter's own view of the wire, written apart from the program's framing.
constexpr uint32_t kMagicA = 0x7B7A8ACB;
constexpr uint32_t kMagicB = 0x84857534;
constexpr uint16_t kReadPage = 1, kWritePage = 2, kErase = 3, kReset = 4, kReadVin = 5,
                   kWriteVin = 6;
constexpr size_t kRequestHeader = 20;
constexpr size_t kPassword = 10;
constexpr uint32_t kPagesPerBlock = 16;   // 4096-byte erase block
constexpr uint32_t kPagesPerSector = 256; // 64 KB, an erase word with block count 0

uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void Append32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> ReplyTo(uint32_t echo) {
    std::vector<uint8_t> r;
    Append32(r, kMagicB);
    Append32(r, kMagicA);
    Append32(r, echo);
    return r;
}

uint64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool IsLoopback(const sockaddr_in& a) {
    return (ntohl(a.sin_addr.s_addr) >> 24) == 127;
}
} // namespace

TestAdapter::TestAdapter() : memory_(static_cast<size_t>(PageCount) * PageBytes, 0xFF) {}

TestAdapter::~TestAdapter() {
    Stop();
}

void TestAdapter::SetVin(uint32_t vin) {
    Store(vin_, vin);
}

uint32_t TestAdapter::Vin() const {
    std::lock_guard lock(mutex_);
    return vin_;
}

void TestAdapter::SetFirmwareVersion(uint16_t version) {
    Store(firmware_, version);
}

void TestAdapter::SetDeviceFlags(uint16_t flags) {
    Store(flags_, flags);
}

void TestAdapter::SetVinReplyLength(size_t length) {
    if (length != 16 && length != 18 && length != 20)
        throw std::invalid_argument("VIN reply length must be 16, 18 or 20");
    std::lock_guard lock(mutex_);
    vin_reply_length_ = length;
}

void TestAdapter::SetPassword(const std::array<uint8_t, 10>& password) {
    Store(password_, password);
}

void TestAdapter::SetPasswordText(std::string_view password) {
    std::array<uint8_t, 10> bytes{};
    std::copy_n(password.begin(), std::min(password.size(), bytes.size()), bytes.begin());
    SetPassword(bytes);
}

void TestAdapter::SetWriteVinResult(const std::array<uint32_t, 5>& words) {
    Store(write_vin_result_, words);
}

std::vector<uint8_t> TestAdapter::Memory(uint32_t firstPage, size_t length) const {
    std::lock_guard lock(mutex_);
    const size_t start = std::min(memory_.size(), static_cast<size_t>(firstPage) * PageBytes);
    const size_t n = std::min(length, memory_.size() - start);
    return std::vector<uint8_t>(memory_.begin() + start, memory_.begin() + start + n);
}

void TestAdapter::LoadMemory(uint32_t firstPage, std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    const size_t start = static_cast<size_t>(firstPage) * PageBytes;
    if (start > memory_.size() || bytes.size() > memory_.size() - start)
        throw std::out_of_range("image does not fit the adapter memory");
    std::copy(bytes.begin(), bytes.end(), memory_.begin() + start);
}

uint32_t TestAdapter::ResetCount() const {
    std::lock_guard lock(mutex_);
    return reset_count_;
}

void TestAdapter::DropReply(uint32_t n) {
    Store(drop_at_, n);
}

void TestAdapter::SetReplyDelay(uint32_t ms) {
    Store(delay_ms_, ms);
}

void TestAdapter::SetWrongEcho(bool on) {
    Store(wrong_echo_, on);
}

void TestAdapter::SetStatusZero(bool on) {
    Store(status_zero_, on);
}

void TestAdapter::SetSilent(bool on) {
    Store(silent_, on);
}

void TestAdapter::SetFault(uint16_t code, uint32_t index, Fault fault, uint32_t delayMs) {
    std::lock_guard lock(mutex_);
    faults_[{code, index}] = {fault, delayMs};
}

void TestAdapter::ClearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
    code_counts_.clear();
}

std::vector<std::vector<uint8_t>> TestAdapter::TakePending() {
    std::lock_guard lock(mutex_);
    std::vector<std::vector<uint8_t>> out;
    for (Pending& p : pending_)
        out.push_back(std::move(p.bytes));
    pending_.clear();
    return out;
}

std::vector<uint8_t> TestAdapter::Answer(std::span<const uint8_t> d) {
    if (d.size() < kRequestHeader || Le32(&d[0]) != kMagicA || Le32(&d[4]) != kMagicB ||
        Le32(&d[12]) != kMagicB || Le32(&d[16]) != kMagicA)
        return {};
    const uint32_t word = Le32(&d[8]);
    const uint16_t code = word & 0xFFFF;
    const uint32_t arg = word >> 16;
    const std::span<const uint8_t> payload = d.subspan(kRequestHeader);
    const bool passwordOk = payload.size() >= kPassword &&
                            std::equal(password_.begin(), password_.end(), payload.begin());
    const uint32_t echo = wrong_echo_ ? word + 0x10000 : word;
    std::vector<uint8_t> r = ReplyTo(echo);

    switch (code) {
    case kReadVin:
        Append32(r, vin_);
        if (vin_reply_length_ >= 18) {
            r.push_back(static_cast<uint8_t>(firmware_));      // minor
            r.push_back(static_cast<uint8_t>(firmware_ >> 8)); // major
        }
        if (vin_reply_length_ == 20) {
            r.push_back(static_cast<uint8_t>(flags_));
            r.push_back(static_cast<uint8_t>(flags_ >> 8));
        }
        return r;
    case kReadPage: {
        const uint32_t page = SettingsFirstPage + arg;
        if (page >= PageCount)
            return {};
        const auto from = memory_.begin() + static_cast<ptrdiff_t>(page * PageBytes);
        r.insert(r.end(), from, from + PageBytes);
        return r;
    }
    case kWritePage: {
        const bool ok = !status_zero_ && passwordOk && arg < PageCount &&
                        payload.size() == kPassword + PageBytes;
        if (ok)
            std::copy(payload.begin() + kPassword, payload.end(),
                      memory_.begin() + static_cast<ptrdiff_t>(arg * PageBytes));
        r.push_back(ok ? 1 : 0);
        return r;
    }
    case kErase: {
        if (payload.size() != kPassword)
            return {};
        if (passwordOk) {
            const uint32_t first = arg & 0xFFF0;
            const uint32_t blocks = arg & 0xF;
            const uint32_t pages = blocks ? blocks * kPagesPerBlock : kPagesPerSector;
            const uint32_t end = std::min(PageCount, first + pages);
            for (uint32_t p = first; p < end; ++p)
                std::fill_n(memory_.begin() + static_cast<ptrdiff_t>(p * PageBytes), PageBytes,
                            0xFF);
        }
        return r;
    }
    case kWriteVin:
        if (payload.size() != 16)
            return {};
        vin_ = Le32(&payload[0]);
        for (uint32_t w : write_vin_result_)
            Append32(r, w);
        return r;
    case kReset:
        ++reset_count_;
        return {};
    default: // REQ_FREEZE_DHCP and anything unknown
        return {};
    }
}

void TestAdapter::Handle(std::span<const uint8_t> d, const std::string& address, uint16_t port,
                         uint64_t now) {
    std::optional<FaultAt> fault;
    if (d.size() >= kRequestHeader) {
        const uint16_t code = Le32(&d[8]) & 0xFFFF;
        const auto it = faults_.find({code, code_counts_[code]++});
        if (it != faults_.end()) {
            fault = it->second;
            faults_.erase(it);
        }
    }
    if (fault && fault->fault == Fault::DropRequest)
        return;
    received_.push_back(
        {std::vector<uint8_t>(d.begin(), d.end()), address, port, std::chrono::steady_clock::now()});
    received_cv_.notify_all();
    std::vector<uint8_t> reply = Answer(d);
    if (reply.empty() || silent_)
        return;
    if (drop_at_ != 0 && --drop_at_ == 0)
        return;
    const Fault kind = fault ? fault->fault : Fault::DropRequest; // DropRequest: no fault here
    if (kind == Fault::DropReply)
        return;
    if (kind == Fault::ReorderReply) {
        pending_.push_back({UINT64_MAX, std::move(reply), address, port, true});
        return;
    }
    const uint64_t due = now + (kind == Fault::DelayReply ? fault->delayMs : delay_ms_);
    // Replies held back go out right behind this one.
    std::deque<Pending> held;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->held) {
            held.push_back(std::move(*it));
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    if (kind == Fault::RepeatReply)
        pending_.push_back({due, reply, address, port});
    pending_.push_back({due, std::move(reply), address, port});
    for (Pending& p : held) {
        p.due = due;
        p.held = false;
        pending_.push_back(std::move(p));
    }
}

std::vector<TestAdapter::Pending> TestAdapter::TakeDue(uint64_t now) {
    std::vector<Pending> due;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->due <= now) {
            due.push_back(std::move(*it));
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    return due;
}

std::vector<std::vector<uint8_t>> TestAdapter::Receive(std::span<const uint8_t> datagram,
                                                       const std::string& address, uint16_t port) {
    std::lock_guard lock(mutex_);
    Handle(datagram, address, port, clock_ms_);
    std::vector<std::vector<uint8_t>> out;
    for (Pending& p : TakeDue(clock_ms_))
        out.push_back(std::move(p.bytes));
    return out;
}

std::vector<std::vector<uint8_t>> TestAdapter::AdvanceClock(uint32_t ms) {
    std::lock_guard lock(mutex_);
    clock_ms_ += ms;
    std::vector<std::vector<uint8_t>> out;
    for (Pending& p : TakeDue(clock_ms_))
        out.push_back(std::move(p.bytes));
    return out;
}

uint16_t TestAdapter::Start(uint16_t port) {
    if (socket_ >= 0)
        throw std::logic_error("test adapter already started");
    if (port == 22)
        throw std::invalid_argument("the test adapter never listens on port 22");
    const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    socklen_t len = sizeof a;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0 || ::pipe2(wake_, O_CLOEXEC)) {
        const std::string why = std::strerror(errno);
        ::close(s);
        throw std::runtime_error("bind 127.0.0.1: " + why);
    }
    socket_ = s;
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
    return port_;
}

void TestAdapter::Stop() {
    if (socket_ < 0)
        return;
    const char byte = 0;
    (void)!::write(wake_[1], &byte, 1);
    thread_.join();
    ::close(socket_);
    ::close(wake_[0]);
    ::close(wake_[1]);
    socket_ = -1;
    wake_[0] = wake_[1] = -1;
}

void TestAdapter::Serve() {
    std::vector<uint8_t> buffer(65536);
    for (;;) {
        int timeout = -1;
        {
            std::lock_guard lock(mutex_);
            if (!pending_.empty()) {
                uint64_t next = UINT64_MAX;
                for (const Pending& p : pending_)
                    next = std::min(next, p.due);
                const uint64_t now = SteadyMs();
                timeout = next <= now ? 0 : static_cast<int>(std::min<uint64_t>(next - now, 1000));
            }
        }
        pollfd fds[2] = {{socket_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            return;
        std::vector<Pending> due;
        if (fds[0].revents & POLLIN) {
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n = ::recvfrom(socket_, buffer.data(), buffer.size(), 0,
                                         reinterpret_cast<sockaddr*>(&from), &len);
            if (n >= 0) {
                char text[INET_ADDRSTRLEN] = {};
                ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
                std::lock_guard lock(mutex_);
                Handle(std::span(buffer.data(), static_cast<size_t>(n)), text, ntohs(from.sin_port),
                       SteadyMs());
            }
        }
        {
            std::lock_guard lock(mutex_);
            due = TakeDue(SteadyMs());
        }
        for (const Pending& p : due) {
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(p.port);
            if (::inet_pton(AF_INET, p.address.c_str(), &to.sin_addr) != 1 || !IsLoopback(to))
                continue; // replies go back over loopback only
            ::sendto(socket_, p.bytes.data(), p.bytes.size(), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to);
            // Stamped once sent, so a gap measured from here is never longer than the real one.
            std::lock_guard lock(mutex_);
            sent_.push_back({p.bytes, p.address, p.port, std::chrono::steady_clock::now()});
        }
    }
}

std::vector<TestAdapter::Datagram> TestAdapter::Received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<TestAdapter::Datagram> TestAdapter::Sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
}

size_t TestAdapter::ReceivedCount() const {
    std::lock_guard lock(mutex_);
    return received_.size();
}

void TestAdapter::ClearReceived() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

bool TestAdapter::WaitForReceived(size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return received_cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return received_.size() >= count; });
}
