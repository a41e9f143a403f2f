#pragma once
#include <string>
#include <string_view>

#include "dialog/dialog_state.h"

/// Profile section that keeps the last folder of each file dialog.
inline constexpr char16_t BrowseSection[] = u"BrowseSect";

/// Open-file dialog with `filter`, opened in the folder stored as BrowseSection / `folderValue`,
/// or in the process's current directory when none is stored. On OK sets `path` to the chosen
/// file and stores its folder, up to and including the last '/', under `folderValue`; returns
/// false, changing neither, when the user cancels.
bool BrowseFileInStoredFolder(DialogState& state, std::u16string_view filter,
                              std::u16string_view folderValue, std::u16string& path);

/// `path` (UTF-16, as the file dialog gives it) as a file-system path.
std::string NativePath(std::u16string_view path);
