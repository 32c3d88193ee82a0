// The configuration load: the input is the bytes of a -F file, parsed and read the way
// cleanerconfig_s::load does once the file is read (the ANSI code page document, then
// readValues). Checked: a document that loads gives a models list whose names are trimmed and
// hold no "|", at most one more than the value has separators.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwctype>
#include <string>

#include "config/cleaner_config.h"
#include "config/ini_document.h"

namespace {

void require(bool holds) {
  if (!holds) std::abort();
}

bool isBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kv::IniDocument document(kv::IniStorage::AnsiCodePage);
  if (document.loadBytes(std::string(reinterpret_cast<const char*>(data), size)) < 0) return 0;
  kv::cleanerconfig_s config;
  require(config.readValues(document));

  const std::wstring value = document.value(kv::kCleanSection, kv::kModelsKey, L"");
  const auto separators = static_cast<std::size_t>(std::count(value.begin(), value.end(), L'|'));
  require(config.modelList.size() <= separators + 1);
  for (const std::wstring& model : config.modelList) {
    require(model.find(L'|') == std::wstring::npos);
    require(model.empty() || (!isBlank(model.front()) && !isBlank(model.back())));
  }
  return 0;
}
