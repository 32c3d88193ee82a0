// The driver store on Windows: the published printer-class INFs of the system's INF folder, read
// with the setup library, and the two removal calls forwarded one to one. setupapi.dll and
// winspool.drv are loaded from the system folder only (see system_library_win.h).
#include <windows.h>
// <setupapi.h> and <winspool.h> need the types of <windows.h>.
#include <setupapi.h>
#include <winspool.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "spooler/driver_store.h"
#include "system/system_library_win.h"
#include "system/win_handles.h"

namespace kv {
namespace {

static_assert(kErrorProcedureMissing == ERROR_PROC_NOT_FOUND);
static_assert(kErrorInfInUseByDevices == ERROR_INF_IN_USE_BY_DEVICES);

// mingw-w64's <setupapi.h> does not declare it: its documented shape (setupapi.dll exports it
// since Windows Vista).
typedef BOOL(WINAPI SetupGetInfDriverStoreLocationFunction)(PCWSTR fileName,
                                                            PSP_ALTPLATFORM_INFO platform,
                                                            PCWSTR localeName, PWSTR buffer,
                                                            DWORD bufferSize, PDWORD required);

constexpr std::wstring_view kPrinterClass = L"Printer";
constexpr std::wstring_view kPrinterClassGuid = L"{4D36E979-E325-11CE-BFC1-08002BE10318}";

struct FindTraits {
  static bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void close(HANDLE handle) { FindClose(handle); }
};
using UniqueFind = UniqueHandle<HANDLE, FindTraits>;

// Ordinal comparison without regard to case, as the file system compares names.
int compareIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE);
}

bool equalIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return compareIgnoringCase(a, b) == CSTR_EQUAL;
}

// "oem" digits ".inf", the form setup publishes a package's INF under. The folder search also
// matches short names, so the long name is checked again.
bool isPublishedName(std::wstring_view name) {
  if (name.size() < 8 || !equalIgnoringCase(name.substr(0, 3), L"oem") ||
      !equalIgnoringCase(name.substr(name.size() - 4), L".inf")) {
    return false;
  }
  const std::wstring_view digits = name.substr(3, name.size() - 7);
  return std::all_of(digits.begin(), digits.end(),
                     [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// The system's shared Windows folder (never %windir% from the environment, which a caller sets;
// GetWindowsDirectoryW would give a terminal server user's private one). Empty with the
// last-error value set on failure.
std::wstring infFolder() {
  const UINT needed = GetSystemWindowsDirectoryW(nullptr, 0);  // with the terminator
  if (needed == 0) return {};
  std::wstring folder(needed, L'\0');
  const UINT length = GetSystemWindowsDirectoryW(folder.data(), needed);
  if (length == 0 || length >= needed) {
    if (length != 0) SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return {};
  }
  folder.resize(length);
  if (!folder.ends_with(L'\\')) folder += L'\\';
  return folder + L"INF";
}

class WindowsDriverStore final : public DriverStore {
 public:
  bool listPrinterPackages(std::vector<DriverPackage>* packages) override {
    if (packages == nullptr) return failWith(ERROR_INVALID_PARAMETER);
    packages->clear();
    for (const auto missing :
         {openInf_.missingReason(), closeInf_.missingReason(), findFirstLine_.missingReason(),
          findNextLine_.missingReason(), stringField_.missingReason()}) {
      if (missing != ERROR_SUCCESS) return failWith(missing);
    }
    const std::wstring folder = infFolder();
    if (folder.empty()) return false;
    std::vector<std::wstring> names;
    if (!publishedInfs(folder, names)) return false;
    for (const std::wstring& name : names) {
      DriverPackage package;
      package.publishedName = name;
      if (readPrinterInf(folder + L"\\" + name, package)) packages->push_back(std::move(package));
    }
    return true;
  }

  bool deletePrinterDriverPackageW(const wchar_t* server, const wchar_t* infPath,
                                   const wchar_t* environment) override {
    if (!deletePackage_) return failWith(deletePackage_.missingReason());
    const HRESULT result = deletePackage_.get()(server, infPath, environment);
    if (SUCCEEDED(result)) return true;
    return failWith(HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result)
                                                               : static_cast<DWORD>(result));
  }

  bool setupUninstallOEMInfW(const wchar_t* infFileName, std::uint32_t flags,
                             void* reserved) override {
    if (!uninstallInf_) return failWith(uninstallInf_.missingReason());
    return uninstallInf_.get()(infFileName, flags, reserved) != FALSE;
  }

  std::uint32_t lastError() override { return GetLastError(); }

 private:
  // An open INF, closed with the library's own call on every path.
  class OpenInf {
   public:
    OpenInf(HINF handle, decltype(::SetupCloseInfFile)* close) : handle_(handle), close_(close) {}
    ~OpenInf() {
      if (*this) close_(handle_);
    }
    OpenInf(const OpenInf&) = delete;
    OpenInf& operator=(const OpenInf&) = delete;
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HINF get() const { return handle_; }

   private:
    HINF handle_;
    decltype(::SetupCloseInfFile)* close_;
  };

  static bool failWith(DWORD error) {
    SetLastError(error);
    return false;
  }

  // The published INFs of the folder, sorted without regard to case.
  static bool publishedInfs(const std::wstring& folder, std::vector<std::wstring>& names) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = folder + L"\\oem*.inf";
    UniqueFind search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0));
    if (!search) return GetLastError() == ERROR_FILE_NOT_FOUND;  // none published
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
          isPublishedName(found.cFileName)) {
        names.emplace_back(found.cFileName);
      }
    } while (FindNextFileW(search.get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) return false;
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
      return compareIgnoringCase(a, b) == CSTR_LESS_THAN;
    });
    return true;
  }

  // Field `index` of the line (0: its key), %strkey% resolved by the library; false when the line
  // has no such field.
  bool fieldText(INFCONTEXT& line, DWORD index, std::wstring& text) const {
    DWORD required = 0;
    if (!stringField_.get()(&line, index, nullptr, 0, &required) || required == 0) return false;
    text.assign(required, L'\0');
    if (!stringField_.get()(&line, index, text.data(), required, &required)) return false;
    text.resize(std::min<std::size_t>(text.find(L'\0'), text.size()));
    return true;
  }

  // The first value of `key` in `section`, empty when there is none.
  std::wstring keyValue(HINF inf, const wchar_t* section, const wchar_t* key) const {
    INFCONTEXT line{};
    std::wstring value;
    if (findFirstLine_.get()(inf, section, key, &line)) fieldText(line, 1, value);
    return value;
  }

  // A printer-class INF by its ClassGUID, or by its Class where it names no GUID.
  bool isPrinterClass(HINF inf) const {
    const std::wstring guid = keyValue(inf, L"Version", L"ClassGUID");
    if (!guid.empty()) return equalIgnoringCase(guid, kPrinterClassGuid);
    return equalIgnoringCase(keyValue(inf, L"Version", L"Class"), kPrinterClass);
  }

  // Each model line's name of a models section, once, in the INF's order.
  void readModels(HINF inf, const std::wstring& section, std::vector<std::wstring>& models) const {
    INFCONTEXT line{};
    if (!findFirstLine_.get()(inf, section.c_str(), nullptr, &line)) return;
    do {
      std::wstring model;
      if (fieldText(line, 0, model) && !model.empty() &&
          std::find(models.begin(), models.end(), model) == models.end()) {
        models.push_back(std::move(model));
      }
    } while (findNextLine_.get()(&line, &line));
  }

  // [Manufacturer]: "name=models-section[,decoration...]", or a bare models section that is its
  // own name. The models sections are the undecorated one and one per decoration ("NTamd64"),
  // whichever the INF has: together, the models the package offers on any platform.
  void readManufacturers(HINF inf, DriverPackage& package) const {
    INFCONTEXT line{};
    if (!findFirstLine_.get()(inf, L"Manufacturer", nullptr, &line)) return;
    do {
      std::wstring name;
      std::wstring section;
      if (!fieldText(line, 1, section) || section.empty()) continue;
      if (!fieldText(line, 0, name) || name.empty()) name = section;
      if (std::find(package.manufacturers.begin(), package.manufacturers.end(), name) ==
          package.manufacturers.end()) {
        package.manufacturers.push_back(name);
      }
      readModels(inf, section, package.models);
      std::wstring decoration;
      for (DWORD field = 2; fieldText(line, field, decoration); ++field) {
        if (!decoration.empty()) readModels(inf, section + L"." + decoration, package.models);
      }
    } while (findNextLine_.get()(&line, &line));
  }

  // Where the store keeps the package's INF; the published INF's own path where the library
  // cannot say (before Windows Vista, and under Wine).
  std::wstring storePathOf(const std::wstring& infPath) const {
    if (!storeLocation_) return infPath;
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
      DWORD required = 0;
      if (storeLocation_.get()(infPath.c_str(), nullptr, nullptr, path.data(),
                               static_cast<DWORD>(path.size()), &required)) {
        path.resize(std::min<std::size_t>(path.find(L'\0'), path.size()));
        return path.empty() ? infPath : path;
      }
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= path.size()) break;
      path.assign(required, L'\0');
    }
    return infPath;
  }

  bool readPrinterInf(const std::wstring& infPath, DriverPackage& package) const {
    UINT errorLine = 0;
    const OpenInf inf(openInf_.get()(infPath.c_str(), nullptr, INF_STYLE_WIN4, &errorLine),
                      closeInf_.get());
    if (!inf || !isPrinterClass(inf.get())) return false;
    package.provider = keyValue(inf.get(), L"Version", L"Provider");
    readManufacturers(inf.get(), package);
    package.storePath = storePathOf(infPath);
    return true;
  }

  SystemLibrary setupapi_{L"setupapi.dll"};
  SystemProcedure<decltype(::SetupOpenInfFileW)> openInf_ =
      KV_SYSTEM_PROCEDURE(setupapi_, SetupOpenInfFileW);
  SystemProcedure<decltype(::SetupCloseInfFile)> closeInf_ =
      KV_SYSTEM_PROCEDURE(setupapi_, SetupCloseInfFile);
  SystemProcedure<decltype(::SetupFindFirstLineW)> findFirstLine_ =
      KV_SYSTEM_PROCEDURE(setupapi_, SetupFindFirstLineW);
  SystemProcedure<decltype(::SetupFindNextLine)> findNextLine_ =
      KV_SYSTEM_PROCEDURE(setupapi_, SetupFindNextLine);
  SystemProcedure<decltype(::SetupGetStringFieldW)> stringField_ =
      KV_SYSTEM_PROCEDURE(setupapi_, SetupGetStringFieldW);
  SystemProcedure<SetupGetInfDriverStoreLocationFunction> storeLocation_ =
      setupapi_.procedure<SetupGetInfDriverStoreLocationFunction>(
          "SetupGetInfDriverStoreLocationW");
  SystemProcedure<decltype(::SetupUninstallOEMInfW)> uninstallInf_ =
      KV_SYSTEM_PROCEDURE(setupapi_, SetupUninstallOEMInfW);
  // winspool.drv is no KnownDLL either; Wine 8's has no DeletePrinterDriverPackageW (127).
  SystemLibrary winspool_{L"winspool.drv"};
  SystemProcedure<decltype(::DeletePrinterDriverPackageW)> deletePackage_ =
      KV_SYSTEM_PROCEDURE(winspool_, DeletePrinterDriverPackageW);
};

}  // namespace

DriverStore& platformDriverStore() {
  static WindowsDriverStore store;
  return store;
}

}  // namespace kv
