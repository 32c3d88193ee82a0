#include "config/silent_mode_file.h"

#include "config/ini_document.h"
#include "log/logger.h"
#include "system/file_access.h"

namespace kv {
namespace {

const wchar_t* loadErrorText(int code) {
  switch (code) {
    case kIniFileError:
      return L"File error";
    case kIniNoMemory:
      return L"Out of memory";
    case kIniFail:
      return L"Generic failure";
    default:
      return L"Unknown error";
  }
}

}  // namespace

std::string newSilentModeFileBytes() {
  IniDocument ini(IniStorage::Utf8);
  std::string bytes;
  if (ini.setValue(L"SilentMode", L"SilentMode", L"On") < 0 || ini.saveBytes(bytes) < 0) return {};
  return bytes;
}

bool writeSilentModeINIFile(const std::wstring& path, bool messageBoxesOn,
                            const std::function<bool(const std::string&)>& keep) {
  Logger& log = detailLog();
  log.debug() << L"Function : writeSilentModeINIFile" << endLine;
  const wchar_t* value = messageBoxesOn ? L"Off" : L"On";

  IniDocument ini(IniStorage::Utf8);
  const int loaded = ini.loadFile(path);
  if (loaded < 0) {
    log.error() << L"Failed to load INI file " << path << L" (" << loadErrorText(loaded) << L")"
                << endLine;
  }
  log.info() << L"Set value [SilentMode]SilentMode=" << value << endLine;
  if (ini.setValue(L"SilentMode", L"SilentMode", value) < 0) {
    log.error() << L"Failed to set value INI file " << path << endLine;
    return false;
  }
  std::string bytes;
  if (ini.saveBytes(bytes) < 0 || (keep && !keep(bytes)) || !writeWholeFile(path, bytes)) {
    log.error() << L"Failed to save INI file " << path << endLine;
    return false;
  }
  return true;
}

}  // namespace kv
