// Ports, drivers and queues through the spooler's public calls.
#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "machine_setup/machine_setup.h"
#include "machine_setup/setup_steps_win.h"
#include "spooler/unique_printer_handle_win.h"
#include "system/win_handles.h"

namespace kv::setup {
namespace {

// The driver files are never run: the spooler only copies and registers them.
constexpr const wchar_t* kDummyDriverFiles[] = {L"KVDUMMY.DLL", L"KVDUMMY.PPD", L"KVDUMMYUI.DLL"};

StepResult driverDirectory(std::wstring& directory) {
  std::vector<BYTE> buffer;
  DWORD unused = 0;
  if (!enumerateInto(buffer, unused, [](BYTE* data, DWORD size, DWORD* needed, DWORD*) {
        return GetPrinterDriverDirectoryW(nullptr, nullptr, 1, data, size, needed) != FALSE;
      })) {
    return failedCall(L"GetPrinterDriverDirectoryW");
  }
  const auto* text = reinterpret_cast<const wchar_t*>(buffer.data());
  directory.assign(text, wcsnlen(text, buffer.size() / sizeof(wchar_t)));
  return {};
}

// Creates the dummy file unless it is there already.
StepResult placeDummyFile(const std::wstring& path) {
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return GetLastError() == ERROR_FILE_EXISTS ? StepResult{} : failedCall(L"CreateFileW");
  }
  static constexpr char kContent[] = "kvcleaner test driver file\r\n";
  DWORD written = 0;
  if (WriteFile(file.get(), kContent, sizeof(kContent) - 1, &written, nullptr) == FALSE) {
    return failedCall(L"WriteFile");
  }
  return {};
}

}  // namespace

StepResult addPort(const std::wstring& port, const std::wstring& monitor) {
  const std::wstring transceiver = L",XcvMonitor " + monitor;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
  UniquePrinterHandle handle;
  if (OpenPrinterW(const_cast<LPWSTR>(transceiver.c_str()), handle.put(), &defaults) == FALSE) {
    return failedCall(L"OpenPrinterW");
  }
  DWORD needed = 0;
  DWORD status = 0;
  const auto bytes = static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t));
  if (XcvDataW(handle.get(), L"AddPort",
               reinterpret_cast<BYTE*>(const_cast<wchar_t*>(port.c_str())), bytes, nullptr, 0,
               &needed, &status) == FALSE) {
    return failedCall(L"XcvDataW");
  }
  if (status != ERROR_SUCCESS) return failedWith(status, L"XcvDataW(AddPort)");
  return {};
}

StepResult deletePort(const std::wstring& port) {
  if (DeletePortW(nullptr, nullptr, const_cast<LPWSTR>(port.c_str())) == FALSE) {
    return failedCall(L"DeletePortW");
  }
  return {};
}

StepResult addDriver(const std::wstring& driver) {
  std::wstring directory;
  if (StepResult found = driverDirectory(directory); !found.ok()) return found;
  std::vector<std::wstring> paths;
  for (const wchar_t* file : kDummyDriverFiles) {
    paths.push_back(directory + L"\\" + file);
    if (StepResult placed = placeDummyFile(paths.back()); !placed.ok()) return placed;
  }
  DRIVER_INFO_3W info{};
  info.cVersion = 3;
  info.pName = const_cast<LPWSTR>(driver.c_str());
  info.pDriverPath = paths[0].data();
  info.pDataFile = paths[1].data();
  info.pConfigFile = paths[2].data();
  if (AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&info), APD_COPY_NEW_FILES) ==
      FALSE) {
    return failedCall(L"AddPrinterDriverExW");
  }
  return {};
}

StepResult deleteDriver(const std::wstring& driver) {
  if (DeletePrinterDriverExW(nullptr, nullptr, const_cast<LPWSTR>(driver.c_str()), 0, 0) == FALSE) {
    return failedCall(L"DeletePrinterDriverExW");
  }
  return {};
}

StepResult addQueue(const std::wstring& queue, const std::wstring& driver,
                    const std::wstring& port) {
  PRINTER_INFO_2W info{};
  info.pPrinterName = const_cast<LPWSTR>(queue.c_str());
  info.pPortName = const_cast<LPWSTR>(port.c_str());
  info.pDriverName = const_cast<LPWSTR>(driver.c_str());
  info.pPrintProcessor = const_cast<LPWSTR>(L"WinPrint");
  info.pDatatype = const_cast<LPWSTR>(L"RAW");
  UniquePrinterHandle handle(AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
  if (!handle) return failedCall(L"AddPrinterW");
  return {};
}

StepResult deleteQueue(const std::wstring& queue) {
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  UniquePrinterHandle handle;
  if (OpenPrinterW(const_cast<LPWSTR>(queue.c_str()), handle.put(), &defaults) == FALSE) {
    return failedCall(L"OpenPrinterW");
  }
  if (DeletePrinter(handle.get()) == FALSE) return failedCall(L"DeletePrinter");
  return {};
}

}  // namespace kv::setup
