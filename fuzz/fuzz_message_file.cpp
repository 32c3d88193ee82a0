// The message text file: the input is the bytes of KV_TOOLS_LNG.IRC. The texts a run can show
// are looked up in the section of every language the cleaner selects (the caption and the
// message of each code it raises) and formatted with an insert, the caption's text or a path
// with "%" in it. Checked: a text is found exactly when the key holds a value other than
// "_NOPT"; formatting with an empty insert never lengthens a text, and a text without "%" is
// shown as it stands.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/ini_document.h"
#include "messages/language_table.h"
#include "messages/message_file.h"
#include "messages/message_format.h"
#include "messages/result_codes.h"

namespace {

void require(bool holds) {
  if (!holds) std::abort();
}

void checkFormatting(const std::wstring& text, const std::wstring& insert) {
  const std::wstring shown = kv::insertIntoMessage(text, insert);
  require(kv::insertIntoMessage(text, L"").size() <= text.size());
  if (text.find(L'%') == std::wstring::npos) require(shown == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kv::IniDocument document(kv::IniStorage::Utf8);
  if (document.loadBytes(std::string(reinterpret_cast<const char*>(data), size)) < 0) return 0;

  for (const kv::LanguageRow& language : kv::languageTable()) {
    if (!language.enabled) continue;
    const std::wstring section = language.section;
    std::wstring insert = L"C:\\cfg\\100%s%%.ini";
    std::wstring caption;
    const bool captionFound = kv::MessageFile::textOf(document, section, kv::kCaptionKey, caption);
    const std::wstring stored = document.value(section, kv::kCaptionKey, L"_NOPT");
    require(captionFound == (stored != L"_NOPT"));
    if (captionFound) insert = caption;

    for (const std::int32_t code :
         {kv::kResultReadScenario, kv::kResultEnumNetPrinters, kv::kResultEnumPrinters,
          kv::kResultEnumPorts, kv::kResultNowPrinting, kv::kResultBusy,
          kv::kResultDeleteDriverPackage}) {
      std::wstring id;
      require(kv::messageIdForCode(code, id));
      std::wstring text;
      if (kv::MessageFile::textOf(document, section, id, text)) checkFormatting(text, insert);
    }
  }
  return 0;
}
