// tarnel_test_adapter: the test adapter as a program, for manual runs against loopback.
// Prints "listening on 127.0.0.1:<port>" once it serves, then runs until SIGINT or SIGTERM;
// with --dump, it then writes the settings pages as they are to a file, to check what was saved.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <pthread.h>
#include <string>
#include <vector>

#include "support/test_adapter.h"

namespace {
void Usage(const char* self) {
    std::fprintf(stderr,
                 "usage: %s [--port N] [--vin HEX] [--firmware HEX] [--flags HEX]\n"
                 "          [--password TEXT] [--vin-reply-length 16|18|20]\n"
                 "          [--delay-ms N] [--image FILE] [--dump FILE]\n"
                 "Serves on 127.0.0.1 (an ephemeral port unless --port is given; never 22).\n"
                 "--firmware is major << 8 | minor, e.g. 0x205; --image preloads the settings\n"
                 "image (raw bytes) at page 0x700; --dump writes pages 0x700 to 0x7FF to FILE\n"
                 "when the adapter stops.\n",
                 self);
}

bool ParseNumber(const char* text, int base, unsigned long max, unsigned long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtoul(text, &end, base);
    return errno == 0 && end != text && *end == '\0' && out <= max && text[0] != '-';
}
} // namespace

int main(int argc, char** argv) {
    TestAdapter adapter;
    unsigned long port = 0;
    std::string dumpFile;
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt == "--help" || opt == "-h") {
            Usage(argv[0]);
            return 0;
        }
        if (i + 1 >= argc) {
            Usage(argv[0]);
            return 2;
        }
        const char* value = argv[++i];
        unsigned long n = 0;
        bool ok = true;
        try {
            if (opt == "--port") {
                ok = ParseNumber(value, 10, 65535, port) && port != 22;
            } else if (opt == "--vin") {
                ok = ParseNumber(value, 16, 0xFFFFFFFFul, n);
                adapter.SetVin(static_cast<uint32_t>(n));
            } else if (opt == "--firmware") {
                ok = ParseNumber(value, 16, 0xFFFF, n);
                adapter.SetFirmwareVersion(static_cast<uint16_t>(n));
            } else if (opt == "--flags") {
                ok = ParseNumber(value, 16, 0xFFFF, n);
                adapter.SetDeviceFlags(static_cast<uint16_t>(n));
            } else if (opt == "--password") {
                adapter.SetPasswordText(value);
            } else if (opt == "--vin-reply-length") {
                ok = ParseNumber(value, 10, 20, n);
                if (ok)
                    adapter.SetVinReplyLength(n);
            } else if (opt == "--delay-ms") {
                ok = ParseNumber(value, 10, 60000, n);
                adapter.SetReplyDelay(static_cast<uint32_t>(n));
            } else if (opt == "--image") {
                std::ifstream in(value, std::ios::binary);
                const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                                 std::istreambuf_iterator<char>());
                ok = static_cast<bool>(in) || in.eof();
                if (ok)
                    adapter.LoadMemory(TestAdapter::SettingsFirstPage, bytes);
            } else if (opt == "--dump") {
                dumpFile = value;
            } else {
                ok = false;
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", opt.c_str(), e.what());
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "bad option or value: %s %s\n", opt.c_str(), value);
            Usage(argv[0]);
            return 2;
        }
    }

    // Block the stop signals before the serving thread starts, so that only sigwait sees them.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    try {
        const uint16_t bound = adapter.Start(static_cast<uint16_t>(port));
        std::printf("listening on 127.0.0.1:%u\n", bound);
        std::fflush(stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarnel_test_adapter: %s\n", e.what());
        return 1;
    }
    int signal = 0;
    sigwait(&stop, &signal);
    adapter.Stop();
    if (!dumpFile.empty()) {
        const std::vector<uint8_t> pages = adapter.Memory(
            TestAdapter::SettingsFirstPage,
            (TestAdapter::PageCount - TestAdapter::SettingsFirstPage) * TestAdapter::PageBytes);
        std::ofstream out(dumpFile, std::ios::binary);
        out.write(reinterpret_cast<const char*>(pages.data()),
                  static_cast<std::streamsize>(pages.size()));
        if (!out) {
            std::fprintf(stderr, "tarnel_test_adapter: cannot write %s\n", dumpFile.c_str());
            return 1;
        }
    }
    return 0;
}
