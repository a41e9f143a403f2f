#pragma once
#include <filesystem>
#include <string>

#include "model/telemetry_descriptor.h"

/// File name of the telemetry description, looked up in the folder of the running executable.
inline constexpr char TeleDescFileName[] = "TeleDescFile.bin";

/// Loads "TeleDescFile.bin" from the folder of the running executable (/proc/self/exe) into
/// TelemetryDescriptorMap, DeviceTypeChannelNameMap, BandNameTable and DeviceModelList, using of
/// the language blocks only those whose name equals `language` (compared up to the first zero
/// unit, case-sensitive). Returns true when the file was read whole and at least one section-3
/// block matched the language.
/// A missing file, a wrong magic or a version above 15 returns false with no table touched; a
/// file that ends early or holds a count the rest of the file cannot satisfy returns false and
/// keeps what was stored before that point. Section 4 replaces BandNameTable; the other tables
/// are added to, not cleared first.
bool LoadTeleDescFile(const std::u16string& language);

/// As above, reading the description file at `path`.
bool LoadTeleDescFile(const std::filesystem::path& path, const std::u16string& language);
