// Language identifiers (the 16-bit numbers language modules are named by) for the
// user's and the system's locale.
#pragma once

#include <cstdint>

inline constexpr uint16_t kLanguageEnglishUs = 0x0409;
inline constexpr uint16_t kLanguageUnknown = 0x0000;

// The identifier of a locale name such as "de_DE.UTF-8@euro", "en_GB" or "fr".
// "C", "POSIX" and an empty name are US English; a language without a known country
// takes its main country; anything else is kLanguageUnknown.
uint16_t LanguageIdFromLocaleName(const char* name);

// The user's language: the first non-empty of LC_ALL, LC_MESSAGES and LANG.
uint16_t UserDefaultLanguageId();

// The system's language from a locale file of NAME=value lines (LC_ALL, LC_MESSAGES,
// then LANG); null reads /etc/default/locale, else /etc/locale.conf.
uint16_t SystemDefaultLanguageId(const char* locale_file = nullptr);
