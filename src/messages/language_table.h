#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kv {

// One language of the message text file: its section name and the Windows primary language
// identifier (the low 10 bits of a locale identifier) it serves.
struct LanguageRow {
  const wchar_t* section;
  std::uint16_t primaryLanguage;
  bool enabled;
};

// Every language the file format knows, in the order in which they are tried; only the enabled
// ones are chosen.
std::span<const LanguageRow> languageTable();

// The section for a locale identifier: the first enabled row with its primary language, else
// "English".
std::wstring sectionForLocale(std::uint32_t localeId);

}  // namespace kv
