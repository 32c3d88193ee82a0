// Driver packages in the driver store, placed there by the setup library's own copy call.
#include <windows.h>
// <setupapi.h> needs the types of <windows.h>.
#include <setupapi.h>

#include <string>

#include "machine_setup/machine_setup.h"
#include "machine_setup/setup_steps_win.h"

namespace kv::setup {

StepResult addDriverPackage(const std::wstring& infPath, std::wstring& publishedName) {
  // The INF's own folder is the package's source; the published name fits in MAX_PATH, the
  // documented bound of the full path it is part of.
  std::wstring destination(MAX_PATH, L'\0');
  DWORD needed = 0;
  PWSTR fileName = nullptr;
  if (!SetupCopyOEMInfW(infPath.c_str(), nullptr, SPOST_PATH, 0, destination.data(),
                        static_cast<DWORD>(destination.size()), &needed, &fileName)) {
    return failedCall(L"SetupCopyOEMInfW");
  }
  publishedName = fileName != nullptr ? std::wstring(fileName) : std::wstring();
  return {};
}

}  // namespace kv::setup
