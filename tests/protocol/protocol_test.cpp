#include <gtest/gtest.h>

#include <vector>

#include "protocol/protocol.h"

namespace {
std::vector<uint8_t> Reply(uint32_t word0, uint32_t word1, uint32_t echo, size_t length) {
    std::vector<uint8_t> d(length);
    if (length >= 12) {
        PutU32(&d[0], word0);
        PutU32(&d[4], word1);
        PutU32(&d[8], echo);
    }
    return d;
}

std::vector<uint8_t> GoodReply(uint32_t echo, size_t length) {
    return Reply(0x84857534, 0x7B7A8ACB, echo, length);
}
} // namespace

TEST(Protocol, ReadVinRequestIsTheDocumentedTwentyBytes) {
    const std::vector<uint8_t> expected = {0xCB, 0x8A, 0x7A, 0x7B, 0x34, 0x75, 0x85,
                                           0x84, 0x05, 0x00, 0x00, 0x00, 0x34, 0x75,
                                           0x85, 0x84, 0xCB, 0x8A, 0x7A, 0x7B};
    EXPECT_EQ(BuildRequestDatagram(MakeRequestWord(REQ_READ_VIN), nullptr, 0), expected);
}

TEST(Protocol, RequestWords) {
    EXPECT_EQ(MakeRequestWord(REQ_READ_EEPROM_DATA, 1), 0x00010001u);
    EXPECT_EQ(MakeRequestWord(REQ_WRITE_EEPROM_DATA, SettingsBasePage), 0x07000002u);
    EXPECT_EQ(EraseRequestWord(KeyEraseWord), 0x06010003u);
    EXPECT_EQ(EraseRequestWord(DescriptorEraseWord(3)), 0x06130003u);
    EXPECT_EQ(EraseRequestWord(DescriptorEraseWord(15)), 0x061F0003u);
    EXPECT_EQ(EraseRequestWord(SettingsEraseWord), 0x07000003u);
    EXPECT_EQ(EraseRequestWord(FirmwareEraseWord(0)), 0x00000003u);
    EXPECT_EQ(EraseRequestWord(FirmwareEraseWord(6)), 0x06000003u);
    EXPECT_EQ(RequestCode(0x06130003u), REQ_ERASE_EEPROM);
    EXPECT_EQ(RequestArgument(0x06130003u), 0x0613);
    EXPECT_EQ(EraseFirstPage(DescriptorEraseWord(3)), 0x610u);
    EXPECT_EQ(EraseBlockCount(DescriptorEraseWord(3)), 3u);
}

TEST(Protocol, RequestDatagramSizes) {
    const WritePasswordBytes password{'s', 'e', 'c', 'r', 'e', 't'};
    const std::vector<uint8_t> page(300, 0x5A);
    const auto pagePayload = WritePagePayload(password, page);
    const auto vinPayload = WriteVinPayload(0x12345678);
    EXPECT_EQ(BuildRequestDatagram(0x07000002, pagePayload.data(), pagePayload.size()).size(),
              WritePageRequestSize);
    EXPECT_EQ(WritePageRequestSize, 286u);
    EXPECT_EQ(BuildRequestDatagram(0x07000003, password.data(), password.size()).size(),
              EraseRequestSize);
    EXPECT_EQ(EraseRequestSize, 30u);
    EXPECT_EQ(BuildRequestDatagram(6, vinPayload.data(), vinPayload.size()).size(),
              WriteVinRequestSize);
    EXPECT_EQ(WriteVinRequestSize, 36u);
    EXPECT_EQ(BuildRequestDatagram(13, nullptr, 0).size(), PlainRequestSize);
}

TEST(Protocol, PayloadLayouts) {
    const WritePasswordBytes password{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const std::vector<uint8_t> shortPage = {0xAA, 0xBB};
    const auto p = WritePagePayload(password, shortPage);
    EXPECT_TRUE(std::equal(password.begin(), password.end(), p.begin()));
    EXPECT_EQ(p[10], 0xAA);
    EXPECT_EQ(p[11], 0xBB);
    EXPECT_TRUE(std::all_of(p.begin() + 12, p.end(), [](uint8_t b) { return b == 0; }));

    const auto v = WriteVinPayload(0x0A0B0C0D);
    EXPECT_EQ(v[0], 0x0D);
    EXPECT_EQ(v[3], 0x0A);
    EXPECT_TRUE(std::all_of(v.begin() + 4, v.end(), [](uint8_t b) { return b == 0; }));
}

TEST(Protocol, ReplyCheckOrderAndLengths) {
    struct Case {
        std::vector<uint8_t> datagram;
        ReplyStatus status;
    };
    const uint32_t B = 0x84857534, A = 0x7B7A8ACB;
    const Case cases[] = {
        {std::vector<uint8_t>(11), ReplyStatus::NotReply},
        {Reply(A, B, 5, 16), ReplyStatus::NotReply}, // the request's order is not a reply
        {Reply(B, B, 5, 16), ReplyStatus::NotReply},
        {Reply(B, A ^ 1, 5, 16), ReplyStatus::NotReply},
        {GoodReply(5, 16), ReplyStatus::Accepted},
        {GoodReply(5, 17), ReplyStatus::Undispatched},
        {GoodReply(5, 18), ReplyStatus::Accepted},
        {GoodReply(5, 19), ReplyStatus::Undispatched},
        {GoodReply(5, 20), ReplyStatus::Accepted},
        {GoodReply(5, 12), ReplyStatus::Undispatched},
        {GoodReply(0x00030001, 267), ReplyStatus::Undispatched},
        {GoodReply(0x00030001, 268), ReplyStatus::Accepted},
        {GoodReply(0x00030001, 269), ReplyStatus::Undispatched},
        {GoodReply(0x07000002, 13), ReplyStatus::Accepted},
        {GoodReply(0x07000002, 12), ReplyStatus::Undispatched},
        {GoodReply(0x07000003, 12), ReplyStatus::Accepted},
        {GoodReply(0x07000003, 13), ReplyStatus::Undispatched},
        {GoodReply(6, 32), ReplyStatus::Accepted},
        {GoodReply(6, 31), ReplyStatus::Undispatched},
        {GoodReply(4, 12), ReplyStatus::Undispatched},
        {GoodReply(13, 12), ReplyStatus::Undispatched},
        {GoodReply(7, 12), ReplyStatus::Undispatched},
    };
    for (const Case& c : cases) {
        const CheckedReply r = CheckReply(c.datagram);
        EXPECT_EQ(r.Status, c.status) << "length " << c.datagram.size() << " echo "
                                      << (c.datagram.size() >= 12 ? GetU32(&c.datagram[8]) : 0);
    }
    const auto page = GoodReply(0x00030001, 268);
    const CheckedReply r = CheckReply(page);
    EXPECT_EQ(r.Code(), REQ_READ_EEPROM_DATA);
    EXPECT_EQ(r.Argument(), 3);
    EXPECT_EQ(r.Payload.size(), 256u);
    EXPECT_EQ(r.Payload.data(), page.data() + 12);
}

TEST(Protocol, VinReplyBySize) {
    const std::vector<uint8_t> p = {0x78, 0x56, 0x34, 0x12, 0x05, 0x02, 0x49, 0x00};
    const auto v16 = DecodeVinReply(std::span(p).first(4));
    ASSERT_TRUE(v16);
    EXPECT_EQ(v16->Vin, 0x12345678u);
    EXPECT_EQ(v16->FirmwareVersion, 0);
    EXPECT_EQ(v16->DeviceFlags, 0);
    EXPECT_FALSE(v16->HasVersion);

    const auto v18 = DecodeVinReply(std::span(p).first(6));
    ASSERT_TRUE(v18);
    EXPECT_EQ(v18->FirmwareVersion, 0x0205);
    EXPECT_EQ(v18->Major(), 2);
    EXPECT_EQ(v18->Minor(), 5);
    EXPECT_EQ(v18->DeviceFlags, 0);

    const auto v20 = DecodeVinReply(p);
    ASSERT_TRUE(v20);
    EXPECT_EQ(v20->FirmwareVersion, 0x0205);
    EXPECT_EQ(v20->DeviceFlags, 0x0049);
    EXPECT_TRUE(v20->DeviceFlags & DeviceFlagNoPassword);
    EXPECT_TRUE(v20->DeviceFlags & DeviceFlagDinMode);
    EXPECT_TRUE(v20->DeviceFlags & DeviceFlagGnss);

    EXPECT_FALSE(DecodeVinReply(std::span(p).first(5)));
    EXPECT_FALSE(DecodeVinReply(std::span(p).first(7)));
}

TEST(Protocol, WriteVinReplyWords) {
    std::vector<uint8_t> p(20);
    EXPECT_TRUE(DecodeWriteVinReply(p)->AllZero());
    PutU32(&p[16], 0xDEADBEEF);
    const auto r = DecodeWriteVinReply(p);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->AllZero());
    EXPECT_EQ(r->Results[4], 0xDEADBEEFu);
    EXPECT_FALSE(DecodeWriteVinReply(std::span(p).first(19)));
}
