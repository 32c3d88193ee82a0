#pragma once

#include <string>

namespace kv {

class IniDocument;

inline constexpr wchar_t kMessageFileName[] = L"KV_TOOLS_LNG.IRC";
inline constexpr wchar_t kCaptionKey[] = L"AFX_IDS_APP_TITLE";
inline constexpr wchar_t kDefaultCaption[] = L"Install Printer Driver";

// The message text file: an INI file in UTF-8 with one section per language, keyed by message
// identifier. Nothing is cached; every read loads the file afresh.
class MessageFile {
 public:
  // ".\KV_TOOLS_LNG.IRC", in the section of the system's language.
  MessageFile();
  // `path`, in the section of the system's language.
  explicit MessageFile(const std::wstring& path);

  // Stores `path` and tells whether something of that name exists; an empty path does not.
  bool setPath(const std::wstring& path);

  // Chooses the section from the system's default locale.
  void selectLanguage();

  // Reads the value of `key` in `section` of the file at `path`. False, with `value` unchanged,
  // when any of the three is empty, the file cannot be loaded, or the key is missing or holds
  // "_NOPT". A value loses a leading double quote and then a trailing one, and each "\n" pair
  // becomes a line feed (a pair right behind a replaced one stays).
  static bool readText(const std::wstring& path, const std::wstring& section,
                       const std::wstring& key, std::wstring& value);

  // The same from a document already loaded.
  static bool textOf(const IniDocument& document, const std::wstring& section,
                     const std::wstring& key, std::wstring& value);

  // The caption of this file's section, or "Install Printer Driver" and false.
  bool getCaption(std::wstring& caption) const;

  // The notice shown instead of a missing text, naming the file and the section; at most 1023
  // characters.
  void noTextNotice(std::wstring& text) const;

  const std::wstring& path() const { return path_; }
  const std::wstring& section() const { return section_; }

 private:
  std::wstring path_;
  std::wstring section_;
};

}  // namespace kv
