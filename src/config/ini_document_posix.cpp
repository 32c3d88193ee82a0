// SimpleIni on Linux: the ICU converter, whose wide character is char16_t. The cleaner's wide
// text (UTF-32 here) is converted at this seam.
//
// The native build's "ANSI code page" is UTF-8 (see the POSIX system services), so both kinds
// of storage are read as UTF-8; that also keeps the result independent of the process locale,
// which ICU would otherwise consult.
#define SI_CONVERT_ICU
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <new>

#include "config/ini_document.h"

namespace kv {
namespace {

std::u16string toUtf16(const std::wstring& text) {
  std::u16string converted;
  converted.reserve(text.size());
  for (const wchar_t c : text) {
    const auto code = static_cast<char32_t>(c);
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      converted.push_back(u'\uFFFD');
    } else if (code >= 0x10000) {
      converted.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      converted.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      converted.push_back(static_cast<char16_t>(code));
    }
  }
  return converted;
}

std::wstring fromUtf16(const char16_t* text) {
  std::wstring converted;
  for (const char16_t* p = text; *p != u'\0'; ++p) {
    const char32_t unit = *p;
    const char32_t next = p[1];
    if (unit >= 0xD800 && unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
      converted.push_back(
          static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00)));
      ++p;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      converted.push_back(L'\uFFFD');
    } else {
      converted.push_back(static_cast<wchar_t>(unit));
    }
  }
  return converted;
}

}  // namespace

class IniDocument::Impl {
 public:
  Impl() : ini(true, false, false) {}
  CSimpleIniTempl<char16_t, SI_NoCase<char16_t>, SI_ConvertW<char16_t>> ini;
};

IniDocument::IniDocument(IniStorage) : impl_(std::make_unique<Impl>()) {}
IniDocument::~IniDocument() = default;

int IniDocument::loadBytes(const std::string& bytes) {
  try {
    return impl_->ini.LoadData(bytes.data(), bytes.size());
  } catch (const std::bad_alloc&) {
    // SimpleIni's tables allocate with the throwing operator new.
    return kIniNoMemory;
  }
}

std::wstring IniDocument::value(const std::wstring& section, const std::wstring& key,
                                const std::wstring& defaultValue) const {
  const char16_t* found =
      impl_->ini.GetValue(toUtf16(section).c_str(), toUtf16(key).c_str(), nullptr);
  return found != nullptr ? fromUtf16(found) : defaultValue;
}

}  // namespace kv
