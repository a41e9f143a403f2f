#include "protocol/write_job.h"

#include <algorithm>

uint32_t WriteJob::PageCount() const {
    return static_cast<uint32_t>((Data.size() + PageSize - 1) / PageSize);
}

bool WriteJob::Finished() const {
    return PreRequests.empty() && static_cast<uint64_t>(PagesSent) * PageSize >= Data.size();
}

uint32_t WriteJob::PageRequestWord(uint32_t p) const {
    return MakeRequestWord(REQ_WRITE_EEPROM_DATA, static_cast<uint16_t>(PageNumber(p)));
}

std::array<uint8_t, PageSize> WriteJob::Page(uint32_t p) const {
    std::array<uint8_t, PageSize> out{};
    const uint64_t start = static_cast<uint64_t>(p) * PageSize;
    if (start < Data.size()) {
        const size_t n = std::min<size_t>(PageSize, Data.size() - start);
        std::copy_n(Data.begin() + static_cast<std::ptrdiff_t>(start), n, out.begin());
    }
    return out;
}

WriteJob EraseThenWriteJob(uint16_t eraseWord, uint32_t basePage, std::vector<uint8_t> data) {
    WriteJob job;
    job.PreRequests.push_back(EraseRequestWord(eraseWord));
    job.BasePage = basePage;
    job.Data = std::move(data);
    return job;
}
