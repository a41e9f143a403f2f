// The service writers against the in-process test adapter: the reply handler and the pump carry
// each job into the adapter's memory, authorised by the write password.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings_image.h"
#include "dialog/device_key.h"
#include "dialog/firmware_update.h"
#include "dialog/password_vin.h"
#include "dialog/reply_handler.h"
#include "dialog/reply_handler.h"
#include "dialog/write_pump.h"
#include "support/fake_table_ctrl.h"
#include "support/temp_folder.h"
#include "support/test_adapter.h"
#include "support/write_start_checks.h"

namespace {

class ServiceWritesAdapterTest : public ::testing::Test {
protected:
    ServiceWritesAdapterTest() {
        f.State.ParamList = &paramList; // the settings read after the write fills it
        SelectAdapter(f, u"127.0.0.1");
        adapter.SetPasswordText("old");
        // A settings image with no parameter entries, as the adapter holds it.
        image.assign(SettingsImage::PageSize, 0);
        PutU32(image.data(), SettingsImage::SignatureValue);
        std::copy_n("old", 3, image.begin() + SettingsImage::WritePassword);
        adapter.LoadMemory(TestAdapter::SettingsFirstPage, image);
    }

    /// Hands every datagram the program sends to the adapter and its replies back to the
    /// program, letting each erase's settle time pass, until the program sends nothing more;
    /// then forgets them.
    void Exchange() {
        for (size_t next = 0; next < 5000; ++next) {
            if (next == f.Socket.SentDatagrams.size()) {
                f.Window.Advance(EraseSettleMs);
                if (next == f.Socket.SentDatagrams.size())
                    break;
            }
            const std::vector<uint8_t> sent = f.Socket.SentDatagrams[next].Data;
            for (const std::vector<uint8_t>& reply : adapter.Receive(sent, "127.0.0.1", 60000))
                OnReceive(f.State, reply, "127.0.0.1", AdapterPort);
        }
        f.Socket.SentDatagrams.clear();
    }

    DialogFixture f;
    FakeTableCtrl paramList;
    TestAdapter adapter;
    TempFolder folder;
    std::vector<uint8_t> image;
};

TEST_F(ServiceWritesAdapterTest, PasswordChangeIsWrittenUnderTheOldPassword) {
    f.State.ConfigImage = image;
    f.State.ConfigRead = 1;
    f.Prompts.PasswordAnswers.push_back(FakePrompts::PasswordAnswer{u"bad", u"fresh", u"fresh"});
    OnChangeDevicePassword(f.State);
    Exchange();
    EXPECT_EQ(f.Prompts.Texts(), std::vector<std::u16string>{u"#110"});
    EXPECT_EQ(adapter.Memory(TestAdapter::SettingsFirstPage, image.size()), image);

    f.Prompts.Boxes.clear();
    f.State.ConfigImage = image;
    f.State.ConfigRead = 1;
    f.Prompts.PasswordAnswers.push_back(FakePrompts::PasswordAnswer{u"old", u"fresh", u"fresh"});
    OnChangeDevicePassword(f.State);
    Exchange();
    ASSERT_FALSE(f.Prompts.Texts().empty());
    EXPECT_EQ(f.Prompts.Texts().front(), u"#111");
    std::vector<uint8_t> written = image;
    std::copy_n("fresh\0\0\0\0\0", 10, written.begin() + SettingsImage::WritePassword);
    EXPECT_EQ(adapter.Memory(TestAdapter::SettingsFirstPage, image.size()), written);
    EXPECT_EQ(adapter.ResetCount(), 1u);
}

TEST_F(ServiceWritesAdapterTest, FirmwareAndKeyLandInTheirAreas) {
    std::vector<uint8_t> firmware(70000);
    for (size_t i = 0; i < firmware.size(); ++i)
        firmware[i] = static_cast<uint8_t>(i ^ (i >> 9));
    f.Prompts.OpenFileAnswers.push_back(folder.Write("fw.bin", firmware).u16string());
    f.Prompts.EditTextAnswers.push_back(u"old");
    OnUpdateFirmware(f.State);
    Exchange();
    EXPECT_EQ(f.Prompts.Texts().front(), u"#111");
    EXPECT_EQ(adapter.Memory(0, firmware.size()), firmware);
    // The rest of the last page is written as zero bytes, the rest of the erased block stays.
    EXPECT_EQ(adapter.Memory(0, 70144).back(), 0);
    EXPECT_EQ(adapter.Memory(0, 70145).back(), 0xFF);

    const std::string dump = "Private-Key: (1024 bit, 2 primes)\n"
                             "modulus:\n    01:02\n"
                             "privateExponent:\n    03\n"
                             "prime1:\n    04\nprime2:\n    05\n"
                             "exponent1:\n    06\nexponent2:\n    07\n"
                             "coefficient:\n    08:09:\n";
    f.Prompts.Boxes.clear();
    f.Prompts.OpenFileAnswers.push_back(folder.Write("key.dat", dump).u16string());
    f.Prompts.EditTextAnswers.push_back(u"old");
    OnWriteDeviceKey(f.State);
    Exchange();
    EXPECT_EQ(f.Prompts.Texts().front(), u"#111");
    std::vector<uint8_t> block(DeviceKeyBlockSize, 0);
    block[0] = 0x02, block[1] = 0x01, block[128] = 0x03, block[256] = 0x04, block[320] = 0x05;
    block[384] = 0x06, block[448] = 0x07, block[512] = 0x09, block[513] = 0x08;
    EXPECT_EQ(adapter.Memory(KeyBasePage, DeviceKeyBlockSize), block);
}

} // namespace
