#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// The byte layout the link fuzzers decode their inputs by, read front to back (so that the seed
// writer can lay a program out in the same order it is run). A reader past the end gives zeros.

/// Reports a broken invariant and stops the fuzzer on this input, unless the environment
/// variable VELMORA_FUZZ_TOLERATE holds a part of its text ('|' between parts): then the run goes
/// on, so that a fault already known does not hide the next one.
inline void FuzzFail(const char* invariant) {
    static const std::string tolerated = [] {
        const char* v = std::getenv("VELMORA_FUZZ_TOLERATE");
        return v == nullptr ? std::string() : std::string(v);
    }();
    for (size_t at = 0; at < tolerated.size();) {
        size_t end = tolerated.find('|', at);
        if (end == std::string::npos)
            end = tolerated.size();
        if (end > at && std::string_view(invariant).find(
                            std::string_view(tolerated).substr(at, end - at)) != std::string_view::npos)
            return;
        at = end + 1;
    }
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}

/// With VELMORA_FUZZ_TRACE set, a run prints its steps (for reading a finding).
inline void Trace(const char* format, auto... args) {
    static const bool on = std::getenv("VELMORA_FUZZ_TRACE") != nullptr;
    if (on) {
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wformat-security"
        std::fprintf(stderr, format, args...); // the callers pass literals
#pragma clang diagnostic pop
        std::fputc('\n', stderr);
    }
}

/// The little-endian word at `at` of a datagram, read apart from the program's wire code.
inline uint32_t Le32(const std::vector<uint8_t>& d, size_t at) {
    return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<uint32_t>(d[at + 3]) << 24;
}

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    uint8_t U8() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t U16() { return static_cast<uint16_t>(U8() | U8() << 8); }
    uint32_t U32() { return U16() | static_cast<uint32_t>(U16()) << 16; }
    /// `length` bytes; what the input lacks is zero-filled.
    std::vector<uint8_t> Bytes(size_t length) {
        std::vector<uint8_t> out(length, 0);
        for (size_t i = 0; i < length && pos_ < size_; ++i)
            out[i] = data_[pos_++];
        return out;
    }
    /// Everything not read yet.
    std::vector<uint8_t> Rest() { return Bytes(size_ - std::min(pos_, size_)); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class ByteWriter {
public:
    ByteWriter& U8(uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    ByteWriter& U16(uint16_t v) { return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8)); }
    ByteWriter& U32(uint32_t v) {
        return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16));
    }
    ByteWriter& Bytes(const std::vector<uint8_t>& b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    std::vector<uint8_t> bytes;
};

// ---- fuzz_dispatch: setup bytes, then steps ----

/// State the dispatch program starts in (first setup byte modulo the count; bit 7 chooses an
/// adapter in the device list first).
enum class DispatchStart : uint8_t {
    Idle,
    ProbePending,
    Pumping,
    SettleWait,
    Reading,
    VinWriteSent,
    Count
};
inline constexpr uint8_t DispatchAdapterChosen = 0x80;

/// One step of the dispatch program (first step byte modulo the count).
enum class DispatchOp : uint8_t {
    Raw,           ///< flags, u16 length, bytes: any datagram
    Framed,        ///< flags, u32 request word, u16 length, payload: a reply header and payload
    Echo,          ///< flags, u8 back, u16 length, payload: a reply echoing a sent request
    AdapterAnswer, ///< u8 back: the test adapter answers a sent request; its replies are held
    DeliverHeld,   ///< flags, u8 index: one held reply is delivered
    Tick,          ///< u16 milliseconds: the clock moves, the timers fire on the way
    Count
};
/// Step flags: the datagram comes from a stranger rather than the adapter.
inline constexpr uint8_t DispatchFromStranger = 0x01;
/// Raw: the datagram is longer than the receive buffer.
inline constexpr uint8_t DispatchOversized = 0x02;
/// DeliverHeld: the reply stays held, to be delivered again.
inline constexpr uint8_t DispatchKeepHeld = 0x02;

// ---- fuzz_settings_read: setup byte, then steps ----

enum class SettingsOp : uint8_t {
    Page,        ///< u16 page index, u16 length, bytes
    GetSettings, ///< the user asks again
    Nested,      ///< the next step runs inside the next message box instead of now
    Count
};
/// Setup: digital-instrument mode; firmware before the newer forms.
inline constexpr uint8_t SettingsDinMode = 0x01;
inline constexpr uint8_t SettingsOldFirmware = 0x02;
