// SimpleIni on Linux: the ICU converter, whose wide character is char16_t. The cleaner's wide
// text (UTF-32 here) is converted at this seam.
//
// The native build's "ANSI code page" is UTF-8 (see the POSIX system services), so both kinds
// of storage are read as UTF-8; that also keeps the result independent of the process locale,
// which ICU would otherwise consult.
#define SI_CONVERT_ICU
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "config/ini_document.h"
#include "config/ini_load_bytes.h"
#include "system/utf16_text.h"

namespace kv {

class IniDocument::Impl {
 public:
  Impl() : ini(true, false, false) {}
  CSimpleIniTempl<char16_t, SI_NoCase<char16_t>, SI_ConvertW<char16_t>> ini;
};

IniDocument::IniDocument(IniStorage) : impl_(std::make_unique<Impl>()) {}
IniDocument::~IniDocument() = default;

int IniDocument::loadBytes(const std::string& bytes) { return loadIniBytes(impl_->ini, bytes); }

int IniDocument::setValue(const std::wstring& section, const std::wstring& key,
                          const std::wstring& value) {
  return setIniValue(impl_->ini, toUtf16(section).c_str(), toUtf16(key).c_str(),
                     toUtf16(value).c_str());
}

int IniDocument::saveBytes(std::string& bytes) const { return saveIniBytes(impl_->ini, bytes); }

std::wstring IniDocument::value(const std::wstring& section, const std::wstring& key,
                                const std::wstring& defaultValue) const {
  const char16_t* found =
      impl_->ini.GetValue(toUtf16(section).c_str(), toUtf16(key).c_str(), nullptr);
  return found != nullptr ? fromUtf16(found) : defaultValue;
}

}  // namespace kv
