#include "dialog/file_browse.h"

#include <filesystem>
#include <system_error>

#include "text/value_format.h"

namespace {

/// The current directory, empty when it cannot be told or is not valid text.
std::u16string CurrentFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (error)
        return {};
    try {
        return folder.u16string();
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

bool BrowseFileInStoredFolder(DialogState& state, std::u16string_view filter,
                              std::u16string_view folderValue, std::u16string& path) {
    const std::u16string section(BrowseSection);
    const std::u16string value(folderValue);
    std::u16string folder = state.Profile->GetProfileString(section, value, u"");
    if (folder.empty())
        folder = CurrentFolder();

    const auto chosen = state.Prompts->OpenFile(std::u16string(filter), folder);
    if (!chosen)
        return false;
    path = *chosen;
    const size_t slash = path.rfind(u'/');
    if (slash != std::u16string::npos)
        state.Profile->WriteProfileString(section, value, path.substr(0, slash + 1));
    return true;
}

std::string NativePath(std::u16string_view path) {
    // The platform's file names are UTF-8 bytes.
    return WideToUtf8(path);
}
