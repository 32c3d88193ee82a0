#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace kv {

// The status codes of SimpleIni's loading (SI_Error): zero or more is success.
inline constexpr int kIniOk = 0;
inline constexpr int kIniFail = -1;
inline constexpr int kIniNoMemory = -2;
inline constexpr int kIniFileError = -3;

// How the bytes of an INI file are turned into text. A UTF-8 byte-order mark at the start makes
// any file UTF-8, and a UTF-16 one (FF FE or FE FF) any file UTF-16.
enum class IniStorage { AnsiCodePage, Utf8 };

// One loaded INI document over wide text: section and key names compared without regard to
// letter case, one value per key (a repeated key keeps its last value), one line per value.
// The SimpleIni instantiation differs by platform and stays behind this class.
class IniDocument {
 public:
  explicit IniDocument(IniStorage storage);
  ~IniDocument();
  IniDocument(const IniDocument&) = delete;
  IniDocument& operator=(const IniDocument&) = delete;

  // Loads the file at `path` (a Windows path), whatever its size. Returns kIniOk, or a negative
  // code: kIniFileError when it cannot be opened or read or is no regular file (a directory, a
  // device, a pipe); kIniFail when its text cannot be converted; kIniNoMemory when it does not
  // fit into memory.
  int loadFile(const std::wstring& path);

  // Parses `bytes` as the content of a file. kIniFail for UTF-16 with an odd byte count or a
  // surrogate without its partner.
  int loadBytes(const std::string& bytes);

  // The document as the bytes of a file; kIniOk or a negative code.
  int saveBytes(std::string& bytes) const;

  // The value of `key` in `section`, or `defaultValue` when either is missing.
  std::wstring value(const std::wstring& section, const std::wstring& key,
                     const std::wstring& defaultValue) const;

  // Sets `key` in `section` to `value`, adding the section or key when missing (an existing key
  // is found in any letter case). Zero or more on success, kIniNoMemory when out of memory.
  int setValue(const std::wstring& section, const std::wstring& key, const std::wstring& value);

  // Writes the whole document to `path`, creating or emptying the file; a UTF-8 document starts
  // with the UTF-8 byte-order mark. kIniOk, or kIniFileError when the file cannot be written.
  int saveFile(const std::wstring& path) const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kv
