#pragma once
#include <QString>

#include "platform/services.h"

class QWidget;

/// Qt's file-dialog filter ("Name (*.a *.b);;All Files (*)") for a filter in the
/// "Name (*.a)|*.a;*.b|All Files (*.*)|*.*||" form: each name keeps its text before any
/// parenthesis and gets its own patterns, "*.*" standing for every file.
QString QtFileFilter(const std::u16string& filter);

/// The user prompts over Qt: message boxes captioned with the application name and owned by
/// the dialog, the one-line text and password dialogs, the open-file dialog and popup menus.
/// Every call is modal and runs a nested event loop, in which timers and sockets keep working.
class QtUserPrompts : public IUserPrompts {
public:
    explicit QtUserPrompts(QWidget& owner) : owner_(owner) {}

    std::u16string LoadString(int stringId) const override;
    MbResult MessageBox(const std::u16string& text, MbButtons buttons) override;
    bool EditText(const std::u16string& caption, std::u16string& text) override;
    bool ChangePassword(std::u16string& oldPassword, std::u16string& newPassword,
                        std::u16string& newPasswordAgain) override;
    std::optional<std::u16string> OpenFile(const std::u16string& filter,
                                           const std::u16string& initialFolder) override;
    int PopupMenu(const std::vector<MenuItem>& items) override;
    bool AddParameter(const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                      const ChannelLayout* channels, std::vector<uint32_t>& codes,
                      int& sendRate) override;

private:
    QWidget& owner_;
};
