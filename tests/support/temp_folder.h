#pragma once
#include <cstdint>
#include <filesystem>
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

private:
    std::filesystem::path path_;
};
