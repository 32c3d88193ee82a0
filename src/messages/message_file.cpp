#include "messages/message_file.h"

#include "config/config_text.h"
#include "config/ini_document.h"
#include "log/logger.h"
#include "messages/language_table.h"
#include "system/system_services.h"

namespace kv {
namespace {

// Asked for as the default, so that a missing key and a key written as "_NOPT" read alike.
constexpr wchar_t kNoText[] = L"_NOPT";

// The notice has always fitted a 1024-character buffer, terminator included.
constexpr size_t kNoticeRoom = 1024 - 1;

}  // namespace

MessageFile::MessageFile() : path_(std::wstring(L".\\") + kMessageFileName) { selectLanguage(); }

MessageFile::MessageFile(const std::wstring& path) {
  setPath(path);
  selectLanguage();
}

bool MessageFile::setPath(const std::wstring& path) {
  path_ = path;
  return SystemServices::current().pathExists(path);
}

void MessageFile::selectLanguage() {
  section_ = sectionForLocale(SystemServices::current().systemDefaultLocaleId());
}

bool MessageFile::readText(const std::wstring& path, const std::wstring& section,
                           const std::wstring& key, std::wstring& value) {
  if (path.empty() || section.empty() || key.empty()) return false;
  IniDocument document(IniStorage::Utf8);
  if (document.loadFile(path) < 0) return false;
  return textOf(document, section, key, value);
}

bool MessageFile::textOf(const IniDocument& document, const std::wstring& section,
                         const std::wstring& key, std::wstring& value) {
  std::wstring text = document.value(section, key, kNoText);
  if (text == kNoText) return false;

  if (!text.empty() && text.front() == L'"') {
    text.erase(0, 1);
    if (!text.empty() && text.back() == L'"') text.pop_back();
  }
  replaceAll(text, L"\\n", L"\n");
  value = std::move(text);
  return true;
}

bool MessageFile::getCaption(std::wstring& caption) const {
  if (readText(path_, section_, kCaptionKey, caption)) return true;
  caption = kDefaultCaption;
  return false;
}

void MessageFile::noTextNotice(std::wstring& text) const {
  // Built by joining the pieces: a path or section name is never taken as a format. The log keeps
  // the notice's own line feeds, so a control character in the path is shown as an insert is.
  text = L"There is not a message text.\nIRC File=" + withVisibleControls(path_) +
         L",\nSection name=" + section_;
  if (text.size() > kNoticeRoom) text.resize(kNoticeRoom);
}

}  // namespace kv
