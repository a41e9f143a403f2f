#include <gtest/gtest.h>

#include <numeric>

#include "protocol/write_job.h"

TEST(WriteJob, PartialLastPageIsZeroFilled) {
    WriteJob job;
    job.PreRequests.push_back(0x07000003);
    job.BasePage = SettingsBasePage;
    job.Data.resize(296);
    std::iota(job.Data.begin(), job.Data.end(), uint8_t{1});

    EXPECT_EQ(job.PageCount(), 2u);
    EXPECT_EQ(job.PageRequestWord(0), 0x07000002u);
    EXPECT_EQ(job.PageRequestWord(1), 0x07010002u);
    const auto p0 = job.Page(0);
    const auto p1 = job.Page(1);
    EXPECT_TRUE(std::equal(p0.begin(), p0.end(), job.Data.begin()));
    EXPECT_TRUE(std::equal(p1.begin(), p1.begin() + 40, job.Data.begin() + 256));
    EXPECT_TRUE(std::all_of(p1.begin() + 40, p1.end(), [](uint8_t b) { return b == 0; }));
}

TEST(WriteJob, FinishedRule) {
    WriteJob empty;
    EXPECT_TRUE(empty.Finished());
    EXPECT_EQ(empty.PageCount(), 0u);

    WriteJob eraseOnly;
    eraseOnly.PreRequests.push_back(0x06010003);
    EXPECT_FALSE(eraseOnly.Finished());
    eraseOnly.PreRequests.pop_front();
    EXPECT_TRUE(eraseOnly.Finished());

    WriteJob full; // exactly two pages: no third one
    full.Data.assign(512, 0xEE);
    EXPECT_EQ(full.PageCount(), 2u);
    for (uint32_t sent = 0; sent <= 2; ++sent) {
        full.PagesSent = sent;
        EXPECT_EQ(full.Finished(), sent == 2) << sent;
    }

    WriteJob oneByte;
    oneByte.Data.assign(0x10001, 1);
    EXPECT_EQ(oneByte.PageCount(), 257u);
    oneByte.PagesSent = 256;
    EXPECT_FALSE(oneByte.Finished());
    EXPECT_EQ(oneByte.Page(256)[0], 1);
    EXPECT_EQ(oneByte.Page(256)[1], 0);
    EXPECT_EQ(oneByte.Page(300)[0], 0); // past the data: zero page, no read past the end
}
