#pragma once
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

/// A stand-in for a Tarnel adapter. It keeps adapter memory (pages 0 to 0x7FF of 256 bytes,
/// 0xFF where erased), a VIN, a firmware version, capability flags and a write password, and
/// answers every request as an adapter does; it records every datagram it receives.
///
/// Two modes: `Start` serves real UDP on 127.0.0.1 (an ephemeral port unless one is given) from
/// a thread of its own; `Receive` hands it a datagram in-process and returns the replies.
/// Replies are framed here, independently of the program's framing code.
///
/// Replies: REQ_READ_VIN 16, 18 or 20 bytes by `SetVinReplyLength`; REQ_READ_EEPROM_DATA page
/// 0x700 + k for read index k (none past the memory); REQ_ERASE_EEPROM echoes the request word
/// (erasing only with the right password); REQ_WRITE_EEPROM_DATA status 1, or 0 when the
/// password is wrong or the payload is not 266 bytes; REQ_WRITE_VIN the five result words.
/// REQ_RESET_DEVICE, REQ_FREEZE_DHCP, unknown codes and malformed headers get no reply.
class TestAdapter {
public:
    static constexpr uint32_t PageCount = 0x800;
    static constexpr size_t PageBytes = 256;
    static constexpr uint32_t SettingsFirstPage = 0x700;

    struct Datagram {
        std::vector<uint8_t> bytes;
        std::string address;
        uint16_t port = 0;
        /// When it was received, or sent (steady clock).
        std::chrono::steady_clock::time_point at{};
    };

    TestAdapter();
    ~TestAdapter();
    TestAdapter(const TestAdapter&) = delete;
    TestAdapter& operator=(const TestAdapter&) = delete;

    // ---- identity ----
    void SetVin(uint32_t vin);
    uint32_t Vin() const;
    void SetFirmwareVersion(uint16_t version); ///< major << 8 | minor
    void SetDeviceFlags(uint16_t flags);
    void SetVinReplyLength(size_t length);                     ///< 16, 18 or 20 (the default)
    void SetPassword(const std::array<uint8_t, 10>& password); ///< default: ten zero bytes
    /// The low byte of each of the first 10 characters, zero-filled.
    void SetPasswordText(std::string_view password);
    void SetWriteVinResult(const std::array<uint32_t, 5>& words); ///< default: all zero

    // ---- memory ----
    /// `length` bytes from the start of `firstPage` (cut at the end of the memory).
    std::vector<uint8_t> Memory(uint32_t firstPage, size_t length) const;
    /// Stores `bytes` from the start of `firstPage`, as a preloaded image.
    void LoadMemory(uint32_t firstPage, std::span<const uint8_t> bytes);
    uint32_t ResetCount() const;

    // ---- fault switches ----
    /// The n-th reply from now on (1 = the next one) is not sent; 0 cancels.
    void DropReply(uint32_t n);
    /// Replies go out `ms` milliseconds late: by the steady clock in UDP mode, by
    /// `AdvanceClock` in-process.
    void SetReplyDelay(uint32_t ms);
    /// Every reply echoes the request word with its argument increased by one.
    void SetWrongEcho(bool on);
    /// Page writes answer status 0 and write nothing.
    void SetStatusZero(bool on);
    /// No reply at all.
    void SetSilent(bool on);

    /// What happens to one chosen exchange, as a faulty network does it.
    enum class Fault {
        DropRequest, ///< the request never arrives: not recorded, not answered, not acted on
        DropReply,   ///< acted on, but its reply is lost
        RepeatReply, ///< its reply arrives twice
        DelayReply,  ///< its reply arrives `delayMs` late (as SetReplyDelay, for this one)
        ReorderReply ///< its reply is held back and arrives just behind the next reply sent
    };
    /// Applies `fault` to the request with code `code` (low 16 bits of the request word) whose
    /// 0-based index among the requests of that code received since construction (or since
    /// ClearFaults) is `index`. Several faults may be set; each acts once.
    void SetFault(uint16_t code, uint32_t index, Fault fault, uint32_t delayMs = 0);
    /// Cancels every fault set by SetFault and restarts the counts.
    void ClearFaults();
    /// The replies still on their way (delayed or held back), in order; they are then gone.
    std::vector<std::vector<uint8_t>> TakePending();

    // ---- in-process mode ----
    /// Handles one datagram; returns the replies due now.
    std::vector<std::vector<uint8_t>> Receive(std::span<const uint8_t> datagram,
                                              const std::string& address = "127.0.0.1",
                                              uint16_t port = 0);
    /// Moves the in-process clock; returns the delayed replies that have come due.
    std::vector<std::vector<uint8_t>> AdvanceClock(uint32_t ms);

    // ---- UDP mode ----
    /// Binds 127.0.0.1:`port` (0 = ephemeral; 22 is refused) and serves until `Stop`.
    /// Returns the bound port; throws std::runtime_error on failure.
    uint16_t Start(uint16_t port = 0);
    void Stop();
    uint16_t Port() const { return port_; }

    // ---- record ----
    std::vector<Datagram> Received() const;
    /// The replies sent in UDP mode, to whom and when.
    std::vector<Datagram> Sent() const;
    size_t ReceivedCount() const;
    void ClearReceived();
    /// Waits (real time, UDP mode) until at least `count` datagrams have arrived.
    bool WaitForReceived(size_t count, int timeoutMs) const;

private:
    struct Pending {
        uint64_t due;
        std::vector<uint8_t> bytes;
        std::string address;
        uint16_t port;
        bool held = false; ///< waits for the next reply (ReorderReply)
    };
    struct FaultAt {
        Fault fault;
        uint32_t delayMs;
    };

    template <class T, class V> void Store(T& field, const V& value) {
        std::lock_guard lock(mutex_);
        field = value;
    }
    std::vector<uint8_t> Answer(std::span<const uint8_t> d);
    void Handle(std::span<const uint8_t> d, const std::string& address, uint16_t port,
                uint64_t now);
    std::vector<Pending> TakeDue(uint64_t now);
    void Serve();

    mutable std::mutex mutex_;
    mutable std::condition_variable received_cv_;
    std::vector<uint8_t> memory_;
    uint32_t vin_ = 0x12345678;
    uint16_t firmware_ = 0x0200;
    uint16_t flags_ = 0;
    size_t vin_reply_length_ = 20;
    std::array<uint8_t, 10> password_{};
    std::array<uint32_t, 5> write_vin_result_{};
    uint32_t reset_count_ = 0;

    uint32_t drop_at_ = 0; ///< replies still to pass before the dropped one; 0 = none
    uint32_t delay_ms_ = 0;
    bool wrong_echo_ = false;
    bool status_zero_ = false;
    bool silent_ = false;
    std::map<std::pair<uint16_t, uint32_t>, FaultAt> faults_; ///< (code, index) -> fault
    std::map<uint16_t, uint32_t> code_counts_;              ///< requests received per code

    uint64_t clock_ms_ = 0; ///< in-process clock
    std::deque<Pending> pending_;
    std::vector<Datagram> received_;
    std::vector<Datagram> sent_;

    int socket_ = -1;
    int wake_[2] = {-1, -1};
    uint16_t port_ = 0;
    std::thread thread_;
};
