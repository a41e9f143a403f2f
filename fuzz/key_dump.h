#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

#include "dialog/device_key.h"

/// `block` as the usual key tool dumps a key: the name line, then each field most significant
/// byte first, 15 bytes to a line of four blanks and "xx:" (the field's last byte without a
/// colon), publicExponent on its name line only.
inline std::string KeyDumpText(const DeviceKeyBlock& block) {
    struct Field {
        const char* Name;
        size_t Offset;
        size_t Size;
    };
    static constexpr Field Fields[] = {
        {"modulus:", 0, 128}, {"privateExponent:", 128, 128}, {"prime1:", 256, 64},
        {"prime2:", 320, 64}, {"exponent1:", 384, 64},        {"exponent2:", 448, 64},
        {"coefficient:", 512, 64},
    };
    std::string out = "RSA Private-Key: (1024 bit, 2 primes)\n";
    for (const Field& f : Fields) {
        if (f.Offset == 128)
            out += "publicExponent: 65537 (0x10001)\n";
        out += std::string(f.Name) + "\n";
        for (size_t i = 0; i < f.Size; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02x", block[f.Offset + f.Size - 1 - i]);
            out += (i % 15 == 0 ? "    " : "") + std::string(hex);
            if (i + 1 < f.Size)
                out += ":";
            if (i % 15 == 14 || i + 1 == f.Size)
                out += "\n";
        }
    }
    return out;
}
