#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>

#include "dialog/dialog_state.h"

inline constexpr char16_t KeyFileFilter[] = u"License files (*.dat)|*.dat|All Files (*.*)|*.*||";
/// Profile value (in BrowseSection) with the folder of the last key file.
inline constexpr char16_t KeyFolderValue[] = u"LicensePath";

/// The key as the adapter stores it at page 0x600: modulus (128 bytes), privateExponent (128),
/// prime1, prime2, exponent1, exponent2, coefficient (64 each), each least significant byte
/// first, then zero bytes to the end.
inline constexpr size_t DeviceKeyBlockSize = 768;
using DeviceKeyBlock = std::array<uint8_t, DeviceKeyBlockSize>;

/// Reads the text dump of a 1024-bit RSA private key: a first line that begins with
/// "Private-Key: (1024 bit" or "RSA Private-Key: (1024 bit, 2 primes)", then field-name lines
/// ("modulus:" to "coefficient:") each followed by lines that begin with a blank and hold
/// colon-separated hexadecimal bytes, most significant first, up to a line that begins with '-'
/// or the end of the file. Each byte is the low 8 bits of what "%x" makes of its piece, so a
/// sign or a wider number is taken as the C conversion takes it (ScanHexLowByte). Lines are
/// taken in pieces of at most 511 bytes; a carriage return before a line feed is dropped.
/// publicExponent must have no byte lines (its value on the name line is not read); every other
/// field is brought to its size by zero bytes at its most significant end or by dropping zero
/// bytes there. Nothing when the content is wrong in any way.
std::optional<DeviceKeyBlock> ParseDeviceKeyFile(std::istream& in);

/// Open-file dialog for a key file, starting in the folder last chosen ("LicensePath"); see
/// BrowseFileInStoredFolder.
bool BrowseKeyFile(DialogState& state, std::u16string& path);

/// Button 1023: asks whether to abandon an unfinished write and the write password, lets the
/// user choose a key file (string 129 when it is no regular file or cannot be opened, 144 when
/// its content is wrong, also with no adapter chosen), stops silently with no adapter chosen, then
/// replaces the queued jobs by the key job (erase word 0x0601, pages 0x600 to 0x602) and sends the
/// probe.
void OnWriteDeviceKey(DialogState& state);
