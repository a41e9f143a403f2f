#include "dialog/firmware_update.h"

#include <cstdint>

#include "dialog/file_browse.h"
#include "dialog/write_preconditions.h"
#include "dialog/write_pump.h"
#include "model/file_input.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"

bool BrowseFirmwareFile(DialogState& state, std::u16string& path) {
    return BrowseFileInStoredFolder(state, FirmwareFileFilter, FirmwareFolderValue, path);
}

WriteJob FirmwareWriteJob(std::vector<uint8_t> image) {
    WriteJob job;
    const size_t blocks = (image.size() + FirmwareEraseBlockSize - 1) / FirmwareEraseBlockSize;
    for (size_t k = 0; k < blocks; ++k)
        job.PreRequests.push_back(EraseRequestWord(FirmwareEraseWord(static_cast<uint32_t>(k))));
    job.BasePage = FirmwareBasePage;
    job.Data = std::move(image);
    return job;
}

void OnUpdateFirmware(DialogState& state) {
    const WriteClaim claim(state);
    if (!claim)
        return;
    std::u16string path;
    if (!BrowseFirmwareFile(state, path))
        return;

    RegularFileStream file = OpenRegularFile(NativePath(path));
    if (!file) {
        state.Prompts->MessageBoxId(ids::CantOpenFile);
        return;
    }
    const std::uintmax_t length = file.Size();
    if (length < FirmwareMinSize || length > FirmwareMaxSize) {
        state.Prompts->MessageBoxId(ids::WrongFileLength);
        return;
    }
    if (state.Controls->ComboGetCurSel(ctl::DeviceAddressCombo) < 0)
        return;
    if (!AskWritePassword(state))
        return;

    // Read before the queue is touched: a file that no longer holds the bytes it was measured
    // with (cut while the password was asked) would otherwise go to the adapter padded with
    // zero bytes, as firmware that does not run.
    std::vector<uint8_t> image(length);
    file.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
    if (static_cast<size_t>(file.gcount()) != image.size()) {
        state.Prompts->MessageBoxId(ids::CantOpenFile);
        return;
    }

    std::vector<WriteJob> jobs;
    jobs.push_back(FirmwareWriteJob(std::move(image)));
    QueueWriteJobs(state, std::move(jobs));
}
