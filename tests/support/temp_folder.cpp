#include "support/temp_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <future>
#include <stdexcept>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    static std::atomic<unsigned> serial{0};
    path_ = fs::temp_directory_path() /
            ("velmora-test-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
    fs::remove_all(path_);
    if (!fs::create_directories(path_))
        throw std::runtime_error("cannot create " + path_.string());
}

TempFolder::~TempFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
}

fs::path TempFolder::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    return Write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

fs::path TempFolder::Write(const std::string& name, std::string_view text) const {
    const fs::path file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    return file;
}

fs::path TempFolder::Fifo(const std::string& name) const {
    const fs::path pipe = path_ / name;
    if (mkfifo(pipe.c_str(), 0600) != 0)
        throw std::runtime_error("cannot make " + pipe.string());
    return pipe;
}

bool ReturnsWithin(std::chrono::seconds limit, const fs::path& fifo,
                   const std::function<void()>& operation) {
    std::future<void> done = std::async(std::launch::async, operation);
    if (done.wait_for(limit) == std::future_status::ready) {
        done.get();
        return true;
    }
    // A reader blocked in open() counts as a reader, so a non-blocking open of the write end
    // succeeds and lets it go on; a read then ends at once with no data.
    do {
        const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            close(writer);
    } while (done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready);
    return false;
}
