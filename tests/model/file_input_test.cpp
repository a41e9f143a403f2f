#include "model/file_input.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <iterator>
#include <string>
#include <thread>

#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {
std::string ReadAll(std::istream& in) {
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

TEST(OpenRegularFile, ReadsAndSeeksARegularFileAndRefusesEverythingElse) {
    const TempFolder folder;
    const fs::path file = folder.Write("file.bin", "0123456789");
    {
        auto in = OpenRegularFile(file);
        ASSERT_TRUE(in);
        EXPECT_EQ(ReadAll(in), "0123456789");
        in.clear();
        in.seekg(-4, std::ios::end);
        EXPECT_EQ(in.tellg(), 6);
        char two[2] = {};
        in.read(two, 2);
        EXPECT_EQ(std::string(two, 2), "67");
        in.seekg(-5, std::ios::cur);
        EXPECT_EQ(in.tellg(), 3);
        EXPECT_EQ(ReadAll(in), "3456789");
    }
    {
        // Larger than the stream's buffer: read partly buffered, partly straight through.
        std::string big(30000, '\0');
        for (size_t i = 0; i < big.size(); ++i)
            big[i] = static_cast<char>('a' + i % 23);
        auto in = OpenRegularFile(folder.Write("big.bin", big));
        ASSERT_TRUE(in);
        EXPECT_EQ(in.Size(), big.size());
        std::string head(3, '\0');
        in.read(head.data(), 3);
        std::string rest(big.size(), '\0');
        in.read(rest.data(), static_cast<std::streamsize>(rest.size()));
        EXPECT_EQ(static_cast<size_t>(in.gcount()), big.size() - 3);
        EXPECT_EQ(head + rest.substr(0, big.size() - 3), big);
    }
    fs::create_symlink(file, folder.Path() / "link");
    {
        auto in = OpenRegularFile(folder.Path() / "link");
        EXPECT_EQ(ReadAll(in), "0123456789");
    }

    const fs::path pipe = folder.Fifo("pipe");
    for (const fs::path& refused : {folder.Path() / "missing", folder.Path(), pipe,
                                    fs::path("/dev/zero")}) {
        bool failed = false;
        EXPECT_TRUE(ReturnsWithin(std::chrono::seconds(5), pipe,
                                  [&] { failed = !OpenRegularFile(refused); }))
            << refused;
        EXPECT_TRUE(failed) << refused;
    }
}

// A link flipped between a regular file and a named pipe while it is opened over and over: a
// call that checks one object and then opens another waits on the pipe for a writer. The
// watchdog fails the test when a call has not returned for two seconds, and then lets such a
// call go by opening the pipe's write end, so that the test still ends.
TEST(OpenRegularFile, ALinkFlippedToAPipeNeverBlocks) {
    const TempFolder folder;
    const fs::path file = folder.Write("file.bin", "content");
    const fs::path pipe = folder.Fifo("pipe");
    const fs::path link = folder.Path() / "link";
    const fs::path next = folder.Path() / "next";
    fs::create_symlink(file, link);

    std::atomic<bool> stop{false};
    std::thread flipper([&] {
        for (bool toPipe = true; !stop; toPipe = !toPipe) {
            fs::create_symlink(toPipe ? pipe : file, next);
            fs::rename(next, link);
        }
    });

    std::atomic<unsigned> calls{0};
    std::atomic<unsigned> wrongContent{0};
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    std::future<void> caller = std::async(std::launch::async, [&] {
        while (std::chrono::steady_clock::now() < until) {
            auto in = OpenRegularFile(link);
            if (in && ReadAll(in) != "content")
                ++wrongContent;
            ++calls;
        }
    });

    bool blocked = false;
    unsigned seen = 0;
    auto lastProgress = std::chrono::steady_clock::now();
    while (caller.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        const auto now = std::chrono::steady_clock::now();
        if (calls != seen) {
            seen = calls;
            lastProgress = now;
        } else if (now - lastProgress > std::chrono::seconds(2)) {
            blocked = true;
            const int writer = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                close(writer);
        }
    }
    caller.get();
    stop = true;
    flipper.join();

    EXPECT_FALSE(blocked) << "a call waited on the pipe";
    EXPECT_EQ(wrongContent, 0u);
    EXPECT_GT(calls, 100u);
}
