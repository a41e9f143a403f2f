#include "model/file_input.h"

#include <system_error>

std::ifstream OpenRegularFile(const std::filesystem::path& path, std::ios::openmode mode) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        std::ifstream refused;
        refused.setstate(std::ios::failbit);
        return refused;
    }
    return std::ifstream(path, std::ios::in | mode);
}
