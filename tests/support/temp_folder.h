#pragma once
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

/// A folder of its own under the system's temporary folder for the files a test writes; removed
/// with everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    /// Writes `bytes` to file `name` in the folder and returns its full path.
    std::filesystem::path Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::filesystem::path Write(const std::string& name, std::string_view text) const;
    /// Makes a named pipe `name` in the folder and returns its full path.
    std::filesystem::path Fifo(const std::string& name) const;

private:
    std::filesystem::path path_;
};

/// Runs `operation` on a thread of its own and tells whether it returned within `limit`. When it
/// has not, it is taken to wait on the named pipe `fifo`: the pipe's write end is opened and
/// closed until the operation returns, so that the test fails rather than hangs.
bool ReturnsWithin(std::chrono::seconds limit, const std::filesystem::path& fifo,
                   const std::function<void()>& operation);
