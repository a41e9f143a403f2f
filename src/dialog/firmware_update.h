#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dialog/dialog_state.h"
#include "protocol/write_job.h"

inline constexpr char16_t FirmwareFileFilter[] =
    u"Binary files (*.bin)|*.bin;*.ldr|All Files (*.*)|*.*||";
/// Profile value (in BrowseSection) with the folder of the last firmware file.
inline constexpr char16_t FirmwareFolderValue[] = u"BinPath";

/// Firmware files are written as they are, from page 0, up to the settings area at page 0x700.
inline constexpr size_t FirmwareMinSize = 256;
inline constexpr size_t FirmwareMaxSize = 0x70000;
/// Firmware is erased in blocks of this size, one erase request per block the file reaches.
inline constexpr size_t FirmwareEraseBlockSize = 0x10000;

/// Open-file dialog for a firmware file, starting in the folder last chosen ("BinPath"); see
/// BrowseFileInStoredFolder.
bool BrowseFirmwareFile(DialogState& state, std::u16string& path);

/// The job that writes `image` from page 0: one erase word (k << 24) | 3 for every started
/// 64 KB block k, then the image's pages, the last one zero-filled.
WriteJob FirmwareWriteJob(std::vector<uint8_t> image);

/// Button 1021: asks whether to abandon an unfinished write, lets the user choose a file of 256
/// to 0x70000 bytes (string 129 when it is no regular file or cannot be opened or read whole,
/// 130 for another length), stops silently with no adapter chosen, asks the write password,
/// then replaces the queued jobs by the firmware job and sends the probe that starts it.
void OnUpdateFirmware(DialogState& state);
