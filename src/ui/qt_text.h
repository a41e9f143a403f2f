#pragma once
#include <QString>

#include <string>

/// UTF-16 text between the core's std::u16string and Qt's QString (both are UTF-16 units).
inline QString ToQString(const std::u16string& text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

inline std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<size_t>(text.size()));
}
