#include "dialog/device_key.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "dialog/file_browse.h"
#include "dialog/write_preconditions.h"
#include "dialog/write_pump.h"
#include "model/file_input.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"
#include "text/hex_text.h"

namespace {

/// The dump's lines are read into a buffer of this size, terminator included.
constexpr size_t KeyLineBufferSize = 512;

constexpr std::string_view KeyHeaders[] = {"Private-Key: (1024 bit",
                                           "RSA Private-Key: (1024 bit, 2 primes)"};

struct KeyField {
    std::string_view Name;
    size_t Size; ///< bytes in the key block; 0 for the field that contributes none
};

constexpr size_t PublicExponentField = 1;
constexpr KeyField KeyFields[] = {
    {"modulus:", 128}, {"publicExponent:", 0}, {"privateExponent:", 128}, {"prime1:", 64},
    {"prime2:", 64},   {"exponent1:", 64},     {"exponent2:", 64},        {"coefficient:", 64},
};
constexpr size_t KeyFieldCount = std::size(KeyFields);

/// Next piece of a line as the C library's line input gives it into KeyLineBufferSize bytes:
/// up to and including the line feed, or KeyLineBufferSize - 1 bytes of a longer line. False at
/// the end of the file.
bool ReadLinePiece(std::istream& in, std::string& piece) {
    piece.clear();
    char c = 0;
    while (piece.size() < KeyLineBufferSize - 1 && in.get(c)) {
        // Text input: a carriage return before a line feed is not part of the line.
        if (c == '\r' && in.peek() == '\n')
            continue;
        piece.push_back(c);
        if (c == '\n')
            break;
    }
    return !piece.empty();
}

/// A piece as text: up to its first zero byte.
std::string_view LineText(const std::string& piece) {
    return std::string_view(piece.c_str());
}

/// Appends the bytes of a continuation line to `bytes` in file order; false for a piece that
/// is not hexadecimal.
bool ReadByteLine(std::string_view line, std::vector<uint8_t>& bytes) {
    size_t pos = 0;
    for (;;) {
        const size_t colon = line.find(':', pos);
        const auto value = ScanHexLowByte(line.substr(
            pos, colon == std::string_view::npos ? std::string_view::npos : colon - pos));
        if (!value)
            return false;
        bytes.push_back(*value);
        if (colon == std::string_view::npos)
            return true;
        pos = colon + 1;
        if (pos >= line.size() || line[pos] == '\n')
            return true;
    }
}

} // namespace

std::optional<DeviceKeyBlock> ParseDeviceKeyFile(std::istream& in) {
    std::string piece;
    ReadLinePiece(in, piece); // an unreadable first line is an empty one
    const std::string_view first = LineText(piece);
    if (std::none_of(std::begin(KeyHeaders), std::end(KeyHeaders),
                     [&](std::string_view header) { return first.starts_with(header); }))
        return std::nullopt;

    // Bytes of each field in file order, most significant first.
    std::array<std::vector<uint8_t>, KeyFieldCount> fields;
    std::optional<size_t> current;
    while (ReadLinePiece(in, piece)) {
        const std::string_view line = LineText(piece);
        if (line.empty() || line[0] == '-')
            break;
        if (line[0] == ' ') {
            if (!current || !ReadByteLine(line, fields[*current]))
                return std::nullopt;
            continue;
        }
        const auto named =
            std::find_if(std::begin(KeyFields), std::end(KeyFields),
                         [&](const KeyField& f) { return line.starts_with(f.Name); });
        if (named == std::end(KeyFields))
            return std::nullopt;
        current = static_cast<size_t>(named - std::begin(KeyFields));
    }

    DeviceKeyBlock block{};
    size_t offset = 0;
    for (size_t i = 0; i < KeyFieldCount; ++i) {
        std::vector<uint8_t>& bytes = fields[i];
        if (i == PublicExponentField) {
            if (!bytes.empty())
                return std::nullopt;
            continue;
        }
        if (bytes.empty())
            return std::nullopt;
        // Most significant zero bytes beyond the field's size carry nothing.
        const size_t size = KeyFields[i].Size;
        const auto significant = std::find_if(
            bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(std::min(size, bytes.size())),
            [](uint8_t b) { return b != 0; });
        bytes.erase(bytes.begin(), significant);
        if (bytes.size() > size)
            return std::nullopt;
        // The block holds the field least significant byte first, zero-filled above.
        std::reverse_copy(bytes.begin(), bytes.end(),
                          block.begin() + static_cast<std::ptrdiff_t>(offset));
        offset += size;
    }
    return block;
}

bool BrowseKeyFile(DialogState& state, std::u16string& path) {
    return BrowseFileInStoredFolder(state, KeyFileFilter, KeyFolderValue, path);
}

void OnWriteDeviceKey(DialogState& state) {
    const WriteClaim claim(state);
    if (!claim)
        return;
    if (!AskWritePassword(state))
        return;
    std::u16string path;
    if (!BrowseKeyFile(state, path))
        return;

    RegularFileStream file = OpenRegularFile(NativePath(path));
    if (!file) {
        state.Prompts->MessageBoxId(ids::CantOpenFile);
        return;
    }
    const std::optional<DeviceKeyBlock> key = ParseDeviceKeyFile(file);
    if (!key) {
        state.Prompts->MessageBoxId(ids::LicenseFileError);
        return;
    }
    if (state.Controls->ComboGetCurSel(ctl::DeviceAddressCombo) < 0)
        return;

    std::vector<WriteJob> jobs;
    jobs.push_back(
        EraseThenWriteJob(KeyEraseWord, KeyBasePage, std::vector<uint8_t>(key->begin(), key->end())));
    QueueWriteJobs(state, std::move(jobs));
}
