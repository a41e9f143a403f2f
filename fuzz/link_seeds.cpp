// Writes the seeds of the link fuzzers into <folder>/<target>/ for the folder given as the first
// argument: dispatch programs that let the test adapter answer every request from each start
// state (also with replies repeated, held back and late, and the adapter's replies as raw
// datagrams), the settings pages the test adapter answers a reading with, a key dump, and
// command-line and device-list texts.
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "key_dump.h"
#include "protocol/protocol.h"
#include "link_rig.h"
#include "support/test_adapter.h"

namespace fs = std::filesystem;

namespace {

bool ok = true;

void Write(const fs::path& folder, const std::string& name, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ok = ok && static_cast<bool>(out);
}

std::vector<uint8_t> Text(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

/// Setup bytes, then `rounds` of: the adapter answers the last request, the reply comes (kept
/// held when `repeat`, so that the next round delivers the older one again), a timer tick.
std::vector<uint8_t> AnsweringProgram(uint8_t start, uint8_t shape, uint8_t entries, int rounds,
                                      bool repeat, uint16_t tickMs) {
    ByteWriter w;
    w.U8(start).U8(shape).U8(entries);
    for (int i = 0; i < rounds; ++i) {
        w.U8(static_cast<uint8_t>(DispatchOp::AdapterAnswer)).U8(0);
        w.U8(static_cast<uint8_t>(DispatchOp::DeliverHeld)).U8(repeat ? DispatchKeepHeld : 0).U8(0);
        w.U8(static_cast<uint8_t>(DispatchOp::Tick)).U16(tickMs);
    }
    return w.bytes;
}

void DispatchSeeds(const fs::path& folder) {
    int n = 0;
    const auto name = [&] { return "seed-" + std::to_string(n++); };
    for (uint8_t start = 0; start < static_cast<uint8_t>(DispatchStart::Count); ++start) {
        for (uint8_t chosen : {uint8_t{0}, DispatchAdapterChosen}) {
            for (uint8_t shape : {0, 0x44, 1, 0x15, 2}) {
                Write(folder, name(), AnsweringProgram(start | chosen, shape, 40, 12, false, 0));
            }
            Write(folder, name(), AnsweringProgram(start | chosen, 0, 70, 8, true, 200));
            Write(folder, name(), AnsweringProgram(start | chosen, 1, 3, 4, false, 4500));
        }
    }
    // Each reply the test adapter gives, as a raw datagram from the adapter and from a stranger.
    TestAdapter adapter;
    adapter.LoadMemory(TestAdapter::SettingsFirstPage, RigSettingsImage(5));
    const WritePasswordBytes password{};
    const auto page = WritePagePayload(password, std::vector<uint8_t>(256, 0x33));
    const auto vin = WriteVinPayload(0x1234ABCD);
    const std::vector<std::vector<uint8_t>> requests = {
        BuildRequestDatagram(MakeRequestWord(REQ_READ_VIN), nullptr, 0),
        BuildRequestDatagram(MakeRequestWord(REQ_READ_EEPROM_DATA, 0), nullptr, 0),
        BuildRequestDatagram(MakeRequestWord(REQ_READ_EEPROM_DATA, 1), nullptr, 0),
        BuildRequestDatagram(EraseRequestWord(SettingsEraseWord), password.data(), password.size()),
        BuildRequestDatagram(MakeRequestWord(REQ_WRITE_EEPROM_DATA, 0x700), page.data(), page.size()),
        BuildRequestDatagram(MakeRequestWord(REQ_WRITE_VIN), vin.data(), vin.size()),
    };
    for (const auto& request : requests) {
        for (const auto& reply : adapter.Receive(request)) {
            for (uint8_t flags : {uint8_t{0}, DispatchFromStranger}) {
                for (uint8_t start : {0, 2, 4, 5}) {
                    ByteWriter w;
                    w.U8(start | DispatchAdapterChosen).U8(0).U8(3);
                    w.U8(static_cast<uint8_t>(DispatchOp::Raw)).U8(flags);
                    w.U16(static_cast<uint16_t>(reply.size())).Bytes(reply);
                    Write(folder, name(), w.bytes);
                }
            }
        }
    }
}

/// A reading as the adapter answers it: page 0, then its entry pages in order.
void SettingsSeeds(const fs::path& folder) {
    int n = 0;
    for (uint32_t entries : {0u, 5u, 32u, 40u, 70u}) {
        TestAdapter adapter;
        adapter.LoadMemory(TestAdapter::SettingsFirstPage, RigSettingsImage(entries));
        for (uint8_t setup : {uint8_t{0}, SettingsDinMode, SettingsOldFirmware}) {
            for (bool again : {false, true}) {
                ByteWriter w;
                w.U8(setup);
                const uint32_t pages = 1 + (entries + 31) / 32;
                for (uint32_t k = 0; k < pages; ++k) {
                    const auto request =
                        BuildRequestDatagram(MakeRequestWord(REQ_READ_EEPROM_DATA,
                                                             static_cast<uint16_t>(k)),
                                             nullptr, 0);
                    for (const auto& reply : adapter.Receive(request)) {
                        if (again && k == pages - 1)
                            w.U8(static_cast<uint8_t>(SettingsOp::GetSettings));
                        w.U8(static_cast<uint8_t>(SettingsOp::Page)).U16(static_cast<uint16_t>(k));
                        w.U16(static_cast<uint16_t>(reply.size() - ReplyHeaderSize));
                        w.Bytes(std::vector<uint8_t>(reply.begin() + ReplyHeaderSize, reply.end()));
                    }
                }
                Write(folder, "seed-" + std::to_string(n++), w.bytes);
            }
        }
    }
}

void KeySeeds(const fs::path& folder) {
    DeviceKeyBlock key{};
    for (size_t i = 0; i < 576; ++i)
        key[i] = static_cast<uint8_t>(i * 7 + 1);
    Write(folder, "seed-key", Text(KeyDumpText(key)));
    std::string crlf;
    for (char c : KeyDumpText(key))
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Write(folder, "seed-key-crlf", Text(crlf));
}

void TargetSeeds(const fs::path& folder) {
    int n = 0;
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"127.0.0.5", ""},          {"127.0.0.1:5000", "127.0.0.5"},
        {"127.0.0.1:5000-5003", ""}, {"127.0.0.1-9", " 127.0.0.5:5000 "},
        {"127.0.0.1-9:23", ""},     {"localhost", "host:x"},
        {"", ""},                   {" ", ":22"},
    };
    for (const auto& [tail, device] : texts) {
        ByteWriter w;
        w.U8(0).Bytes(Text(tail)).U8(0).Bytes(Text(device)).U8(0);
        w.U32(MakeRequestWord(REQ_READ_VIN)).U16(4).U32(0x1234ABCD);
        Write(folder, "seed-" + std::to_string(n++), w.bytes);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: link_seeds <folder>\n";
        return 2;
    }
    const fs::path folder = argv[1];
    const LinkRig rig; // the description whose frame offsets the seed images carry
    DispatchSeeds(folder / "fuzz_dispatch");
    SettingsSeeds(folder / "fuzz_settings_read");
    KeySeeds(folder / "fuzz_device_key");
    TargetSeeds(folder / "fuzz_targets");
    if (!ok) {
        std::cerr << "link_seeds: cannot write into " << folder << "\n";
        return 1;
    }
    return 0;
}
