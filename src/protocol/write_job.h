#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "protocol/protocol.h"

/// One queued write to adapter memory: erase requests first, then `Data` as 256-byte pages
/// from `BasePage`. Constructed empty (no pre-requests, numbers 0, no data).
struct WriteJob {
    /// REQ_ERASE_EEPROM request words still to send, first first; each is removed only by its
    /// own acknowledgement.
    std::deque<uint32_t> PreRequests;
    uint32_t BasePage = 0;     ///< adapter page of the first page of `Data`
    std::vector<uint8_t> Data; ///< any size; the last page is zero-filled to 256 bytes
    uint32_t PagesSent = 0;    ///< pages of `Data` sent so far

    /// ceil(size of `Data` / 256).
    uint32_t PageCount() const;
    /// No pre-requests left and every page of `Data` sent.
    bool Finished() const;
    /// Adapter page number of page `p`: `BasePage` + p.
    uint32_t PageNumber(uint32_t p) const { return BasePage + p; }
    /// REQ_WRITE_EEPROM_DATA request word of page `p`.
    uint32_t PageRequestWord(uint32_t p) const;
    /// Bytes p x 256 to p x 256 + 255 of `Data`, zero bytes past its end.
    std::array<uint8_t, PageSize> Page(uint32_t p) const;
};

/// The job that erases with `eraseWord` and then writes `data` from `basePage`.
WriteJob EraseThenWriteJob(uint16_t eraseWord, uint32_t basePage, std::vector<uint8_t> data);
