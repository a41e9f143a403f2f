#pragma once
#include <cstdint>

/// Layout constants of the telemetry description file "TeleDescFile.bin", shared by the loader
/// and by the writer that produces test fixtures and the shipped sample.
namespace tele_desc_format {
inline constexpr uint32_t Magic = 0x44545046u; ///< the bytes "FPTD", little-endian
inline constexpr uint32_t MaxVersion = 15;
inline constexpr uint32_t HeaderBytes = 8;
inline constexpr uint32_t Section5FixedBytes = 108; ///< a section-5 record before its list
inline constexpr uint16_t Section5Words = 16;
inline constexpr uint16_t Section5Reals = 6;

inline constexpr uint16_t StrideField1Default = 3; ///< a zero stride field of band word 1
inline constexpr uint16_t StrideField2Default = 1; ///< a zero stride field of band word 2
inline constexpr int StrideShift = 16;
inline constexpr uint32_t BaseMask = 0xFFFFu;

// First version that carries each gated item.
inline constexpr uint32_t IndexPackedVersion = 3;
inline constexpr uint32_t CodeExtrasVersion = 4;  ///< below: 0xFFFF per code, nothing stored
inline constexpr uint32_t ModelGroupsVersion = 5; ///< device models grouped by language
inline constexpr uint32_t Section7Version = 6;
inline constexpr uint32_t ChannelNamesVersion = 7;
inline constexpr uint32_t ModelPrefixVersion = 8;
inline constexpr uint32_t ModelNoteVersion = 9;
inline constexpr uint32_t BandWord2Version = 11; ///< below: derived from band word 1
inline constexpr uint32_t Section8Version = 12;
inline constexpr uint32_t Extra5Version = 13;
inline constexpr uint32_t Section9Version = 14;
inline constexpr uint32_t Wide32Version = 15; ///< code extras and section-9 values as u32

inline constexpr uint32_t NoCodeExtra = 0xFFFFu;
} // namespace tele_desc_format

/// The user-interface language names that the file's language blocks are matched against.
inline constexpr char16_t UiLanguageEnglish[] = u"English";
inline constexpr char16_t UiLanguageRussian[] = u"Русский";

/// The user-interface language whose texts the description file gives.
enum class UiLanguage { English, Russian };

/// The name of `language` in the file's language blocks.
constexpr const char16_t* UiLanguageNameOf(UiLanguage language) {
    return language == UiLanguage::English ? UiLanguageEnglish : UiLanguageRussian;
}
