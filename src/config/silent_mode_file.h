#pragma once

#include <functional>
#include <string>

namespace kv {

// The settings file the maker's uninstallers read while the first uninstall pass runs
// (silentModeFilePath), UTF-8 with its byte-order mark.
// Sets [SilentMode] SilentMode to "Off" when message boxes are on, else "On", keeping whatever
// else the file at `path` holds, and saves it. Logs to the detail log. True when the value was
// set and the file saved; a file that could not be loaded (for example a new one) is written
// anew. `keep`, when given, is handed the bytes before they are saved, so that they can be known
// again later; when it fails, nothing is saved.
bool writeSilentModeINIFile(const std::wstring& path, bool messageBoxesOn,
                            const std::function<bool(const std::string&)>& keep = {});

// The bytes writeSilentModeINIFile saves where no file was (message boxes off): a file holding
// exactly these was left by a run of the cleaner, not by anybody else.
std::string newSilentModeFileBytes();

}  // namespace kv
