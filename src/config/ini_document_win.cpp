// SimpleIni under Windows: the Win32 converter (CP_ACP or CP_UTF8) over wchar_t.
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "config/ini_document.h"
#include "config/ini_load_bytes.h"

namespace kv {

class IniDocument::Impl {
 public:
  explicit Impl(IniStorage storage) : ini(storage == IniStorage::Utf8, false, false) {}
  CSimpleIniTempl<wchar_t, SI_NoCase<wchar_t>, SI_ConvertW<wchar_t>> ini;
};

IniDocument::IniDocument(IniStorage storage) : impl_(std::make_unique<Impl>(storage)) {}
IniDocument::~IniDocument() = default;

int IniDocument::loadBytes(const std::string& bytes) { return loadIniBytes(impl_->ini, bytes); }

int IniDocument::setValue(const std::wstring& section, const std::wstring& key,
                          const std::wstring& value) {
  return setIniValue(impl_->ini, section.c_str(), key.c_str(), value.c_str());
}

int IniDocument::saveBytes(std::string& bytes) const { return saveIniBytes(impl_->ini, bytes); }

std::wstring IniDocument::value(const std::wstring& section, const std::wstring& key,
                                const std::wstring& defaultValue) const {
  const wchar_t* found = impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
  return found != nullptr ? std::wstring(found) : defaultValue;
}

}  // namespace kv
