// Registering the test port monitor under a name, and its settings (see monitor_settings.h).
#include <windows.h>
#include <winspool.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "machine_setup/machine_setup.h"
#include "machine_setup/setup_steps_win.h"
#include "system/win_handles.h"
#include "test_port_monitor/monitor_settings.h"

namespace kv::setup {
namespace {

std::wstring monitorKeyPath(const std::wstring& name) {
  return std::wstring(testmon::kMonitorsKey) + L"\\" + name;
}

// The whole file, or nothing when it cannot be read.
std::vector<char> fileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return {};
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The spooler may hold the installed DLL loaded, so an identical copy is left alone.
StepResult installDll(const std::wstring& source) {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return failedCall(L"GetSystemDirectoryW");
  const std::wstring target = std::wstring(system, length) + L"\\" + testmon::kMonitorDllName;
  const std::vector<char> wanted = fileBytes(source);
  if (!wanted.empty() && wanted == fileBytes(target)) return {};
  if (CopyFileW(source.c_str(), target.c_str(), FALSE) == FALSE) return failedCall(L"CopyFileW");
  return {};
}

StepResult setText(HKEY key, const wchar_t* value, const std::wstring& text) {
  const LSTATUS status =
      RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  return status == ERROR_SUCCESS ? StepResult{} : failedWith(status, L"RegSetValueExW");
}

StepResult setNumber(HKEY key, const wchar_t* value, DWORD number) {
  const LSTATUS status = RegSetValueExW(key, value, 0, REG_DWORD,
                                        reinterpret_cast<const BYTE*>(&number), sizeof(number));
  return status == ERROR_SUCCESS ? StepResult{} : failedWith(status, L"RegSetValueExW");
}

}  // namespace

StepResult addTestMonitor(const std::wstring& name, const std::wstring& dllPath) {
  if (StepResult installed = installDll(dllPath); !installed.ok()) return installed;
  MONITOR_INFO_2W info{};
  info.pName = const_cast<LPWSTR>(name.c_str());
  info.pDLLName = const_cast<LPWSTR>(testmon::kMonitorDllName);
  if (AddMonitorW(nullptr, 2, reinterpret_cast<BYTE*>(&info)) == FALSE) {
    return failedCall(L"AddMonitorW");
  }
  MonitorSettings defaults;
  defaults.reportedMonitor = name;
  defaults.description = L"";
  defaults.portType = testmon::kDefaultPortType;
  defaults.deletePortStatus = 0;
  defaults.recordFile = L"";
  return configureTestMonitor(name, defaults);
}

StepResult deleteTestMonitor(const std::wstring& name) {
  if (DeleteMonitorW(nullptr, nullptr, const_cast<LPWSTR>(name.c_str())) == FALSE) {
    return failedCall(L"DeleteMonitorW");
  }
  return {};
}

StepResult configureTestMonitor(const std::wstring& name, const MonitorSettings& settings) {
  UniqueRegKey key;
  const LSTATUS opened =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, monitorKeyPath(name).c_str(), 0, KEY_SET_VALUE, key.put());
  if (opened != ERROR_SUCCESS) return failedWith(opened, L"RegOpenKeyExW");
  StepResult result;
  if (result.ok() && settings.reportedMonitor) {
    result = setText(key.get(), testmon::kReportedMonitorValue, *settings.reportedMonitor);
  }
  if (result.ok() && settings.description) {
    result = setText(key.get(), testmon::kPortDescriptionValue, *settings.description);
  }
  if (result.ok() && settings.portType) {
    result = setNumber(key.get(), testmon::kPortTypeValue, *settings.portType);
  }
  if (result.ok() && settings.deletePortStatus) {
    result = setNumber(key.get(), testmon::kDeletePortStatusValue, *settings.deletePortStatus);
  }
  if (result.ok() && settings.recordFile) {
    result = setText(key.get(), testmon::kRecordFileValue, *settings.recordFile);
  }
  if (result.ok() && settings.stopProcessAt) {
    result = setNumber(key.get(), testmon::kStopProcessAtValue, *settings.stopProcessAt);
  }
  return result;
}

}  // namespace kv::setup
