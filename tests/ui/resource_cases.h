#pragma once
#include <array>

/// The three ways the program's start can choose its resources.
enum class SourceCase {
    Tovrin,     ///< "Tovrin.rcc" beside the program (the user's language does not matter)
    OwnRussian, ///< no bundle, Russian interface language
    OwnEnglish, ///< no bundle, another interface language
};

inline constexpr std::array<SourceCase, 3> AllSourceCases{
    SourceCase::Tovrin, SourceCase::OwnRussian, SourceCase::OwnEnglish};

/// Chooses the resource source as the program's start does for that case.
void UseSourceCase(SourceCase source);
/// "tovrin", "ru" or "en".
const char* SourceCaseName(SourceCase source);
/// True when the case shows the Russian texts.
inline bool IsRussian(SourceCase source) {
    return source == SourceCase::OwnRussian;
}
