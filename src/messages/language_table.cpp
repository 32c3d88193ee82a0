#include "messages/language_table.h"

namespace kv {
namespace {

constexpr LanguageRow kLanguages[] = {
    {L"Czech", 0x05, false},
    {L"Danish", 0x06, false},
    {L"German", 0x07, true},
    {L"English", 0x09, true},
    {L"Spanish", 0x0A, true},
    {L"French", 0x0C, true},
    {L"Italian", 0x10, true},
    {L"Hungarian", 0x0E, false},
    {L"Netherlands", 0x13, true},
    {L"Norwegian", 0x14, false},
    {L"Polish", 0x15, false},
    {L"Portuguese", 0x16, false},
    {L"Finnish", 0x0B, false},
    {L"Swedish", 0x1D, false},
    {L"Japanese", 0x11, true},
    {L"Simplified Chinese", 0x04, true},
    {L"Traditional Chinese", 0x04, false},
    {L"Korean", 0x12, false},
    {L"Russian", 0x19, false},
    {L"Turkish", 0x1F, false},
    {L"Catalan", 0x03, false},
    {L"Greek", 0x08, false},
    {L"Brazilian", 0x16, true},
};

}  // namespace

std::span<const LanguageRow> languageTable() { return kLanguages; }

std::wstring sectionForLocale(std::uint32_t localeId) {
  const auto primaryLanguage = static_cast<std::uint16_t>(localeId & 0x3FF);
  for (const LanguageRow& row : kLanguages) {
    if (row.enabled && row.primaryLanguage == primaryLanguage) return row.section;
  }
  return L"English";
}

}  // namespace kv
