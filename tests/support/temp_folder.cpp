#include "support/temp_folder.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
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
