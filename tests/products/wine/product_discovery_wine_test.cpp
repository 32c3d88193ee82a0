// The product discovery against Wine's installer service and registry, with the packages that
// this directory's CMakeLists.txt builds with wixl.
#include <windows.h>
// <msi.h> needs the types of <windows.h>.
#include <msi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console_capture.h"
#include "products/installer_idle.h"
#include "products/installer_service.h"
#include "products/installer_service_wrapper.h"
#include "products/product_discovery.h"

namespace kv {
namespace {

using test::failureLine;

struct Package {
  const wchar_t* file;
  const wchar_t* code;
  const wchar_t* name;
  const wchar_t* publisher;
  bool is64Bit;
};

const Package kA{L"discovery_a.msi", L"{10000000-7E4F-4A51-9C2D-0E1F2A3B4C01}",
                 L"KVW Discovery A [KVW 100]", L"NOVAX", true};
const Package kB{L"discovery_b.msi", L"{01000000-7E4F-4A51-9C2D-0E1F2A3B4C02}",
                 L"KVW Discovery B [KVW 200]", L"NOVAX", true};
const Package kC{L"discovery_c.msi", L"{6B1D2A3C-7E4F-4A51-9C2D-0E1F2A3B4C03}",
                 L"KVW Discovery C [KVW 300]", L"NOVAX", false};
const Package kD{L"discovery_d.msi", L"{6B1D2A3C-7E4F-4A51-9C2D-0E1F2A3B4C04}",
                 L"KVW Discovery D [KVW 400]", L"NOVAX Inc.", true};
// Neither the codes' own order ({01…} first) nor the enumeration's ({10…} first).
const std::vector<const Package*> kInstallOrder{&kB, &kD, &kC, &kA};

UINT removePackage(const Package& package) {
  return MsiConfigureProductW(package.code, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
}

// Every test of this program runs with the four packages installed, in a process of its own.
class WineProductDiscovery : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    for (const Package* package : kInstallOrder) {
      removePackage(*package);  // left over by a run that crashed
      const std::wstring path = std::wstring(L"" KV_TEST_PACKAGE_DIR "/") + package->file;
      ASSERT_EQ(MsiInstallProductW(path.c_str(), L""), ERROR_SUCCESS)
          << testing::PrintToString(path);
    }
  }
  static void TearDownTestSuite() {
    for (const Package* package : kInstallOrder) EXPECT_EQ(removePackage(*package), ERROR_SUCCESS);
  }

  test::ConsoleCapture console;
};

// Wine lists products in the order of their packed codes (the form of the key names below
// Installer\Products), whatever order they were installed in.
TEST_F(WineProductDiscovery, MakerPackagesInTheServicesOrder) {
  std::vector<std::wstring> codes;
  EXPECT_TRUE(EnumMakerProducts(codes));
  EXPECT_EQ(codes, (std::vector<std::wstring>{kA.code, kB.code, kC.code}));
  EXPECT_EQ(console.out, L"");
}

// A 32-bit package's uninstall entry is in the registry's 32-bit view, which a 64-bit program's
// RegOpenKeyW does not see: it is found there, without a line.
TEST_F(WineProductDiscovery, NamesAndUninstallCommands) {
  for (const Package* package : {&kA, &kB, &kC, &kD}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(package->name)));
    console.out.clear();
    std::wstring value;
    EXPECT_TRUE(GetProductInfoValue(package->code, L"ProductName", value));
    EXPECT_EQ(value, package->name);
    EXPECT_TRUE(GetProductInfoValue(package->code, L"Publisher", value));
    EXPECT_EQ(value, package->publisher);
    EXPECT_TRUE(GetUninstallValue(package->code, L"UninstallString", value));
    EXPECT_EQ(value, L"MsiExec.exe /I" + std::wstring(package->code));
    EXPECT_EQ(console.out, L"");
  }
}

// A standard property that the package did not set reads as empty text; only a name the service
// does not know fails.
TEST_F(WineProductDiscovery, ReadsThatFindNothing) {
  const std::wstring unknown = L"{00000000-0000-0000-0000-000000000000}";
  struct Case {
    const char* what;
    bool (*read)(const std::wstring&, const std::wstring&, std::wstring&);
    std::wstring code;
    std::wstring name;
    bool result;
    std::wstring printed;
  };
  for (const Case& c : std::vector<Case>{
           {"unknown product", GetProductInfoValue, unknown, L"ProductName", false,
            failureLine(L"645", L"MsiGetProductInfo")},
           {"unknown property", GetProductInfoValue, kA.code, L"NoSuchProperty", false,
            failureLine(L"648", L"MsiGetProductInfo")},
           {"property not set", GetProductInfoValue, kA.code, L"HelpLink", true, L""},
           {"uninstalled, asked whether it still is",
            [](const std::wstring&code, const std::wstring&, std::wstring&value) {
              return GetInstalledProductName(code, value);
            },
            unknown, L"ProductName", false, L""},
           {"no uninstall entry", GetUninstallValue, unknown, L"UninstallString", false,
            failureLine(L"2", L"RegOpenKey")},
           {"no such value", GetUninstallValue, kA.code, L"NoSuchValue", false,
            failureLine(L"2", L"RegQueryValueEx")},
       }) {
    SCOPED_TRACE(c.what);
    console.out.clear();
    std::wstring value = L"stale";
    EXPECT_EQ(c.read(c.code, c.name, value), c.result);
    EXPECT_EQ(value, L"");
    EXPECT_EQ(console.out, c.printed);
  }
}

// The other installation: this program started again with KV_HOLD_EXECUTE_MUTEX naming an event.
// It takes the installer's mutex, sets the event and ends a second later without letting go.
TEST(WineInstallerIdle, OtherInstallation) {
  wchar_t held[64] = {};
  if (GetEnvironmentVariableW(L"KV_HOLD_EXECUTE_MUTEX", held, 64) == 0) GTEST_SKIP();
  ASSERT_NE(CreateMutexW(nullptr, TRUE, kInstallerExecuteMutex), nullptr);
  SetEvent(OpenEventW(EVENT_MODIFY_STATE, FALSE, held));
  Sleep(1000);
}

// The handle the look opens cannot be waited on, so the look can never own the mutex (Wine
// checks a handle's own access, though not the mutex's DACL).
class NoWaitingInstaller : public InstallerServiceWrapper {
 public:
  using InstallerServiceWrapper::InstallerServiceWrapper;
  std::uint32_t openMutexW(std::uint32_t access, const wchar_t* name, SyncHandle* handle) override {
    const std::uint32_t opened = InstallerServiceWrapper::openMutexW(access, name, handle);
    if (opened == 0) {
      EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(*handle), 0), WAIT_FAILED);
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    return opened;
  }
};

// Another process holds the installer's mutex: the look gives up at its bound, or goes on once
// the holder has ended (abandoned, the mutex is free); one that is not there reads idle.
TEST(WineInstallerIdle, LooksAtTheExecuteMutexWithoutOwningIt) {
  NoWaitingInstaller installer(InstallerService::current());
  ScopedInstallerService installed(installer);
  EXPECT_EQ(waitUntilInstallerIdle(0, [] {}), InstallerIdle::Free);
  const std::wstring held = L"kv-idle-held-" + std::to_wstring(GetCurrentProcessId());
  const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, held.c_str());
  wchar_t program[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
  std::wstring command = L"\"" + std::wstring(program) + L"\" --gtest_filter=*.OtherInstallation";
  SetEnvironmentVariableW(L"KV_HOLD_EXECUTE_MUTEX", held.c_str());
  STARTUPINFOW start{};
  start.cb = sizeof start;
  PROCESS_INFORMATION other{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &start, &other));
  ASSERT_EQ(WaitForSingleObject(event, 60000), WAIT_OBJECT_0);
  int waits = 0;
  EXPECT_EQ(waitUntilInstallerIdle(50, [&] { ++waits; }), InstallerIdle::StillBusy);
  EXPECT_EQ(waitUntilInstallerIdle(60000, [&] { ++waits; }), InstallerIdle::WasBusy);
  EXPECT_EQ(waits, 2);
  for (const HANDLE h : {other.hProcess, other.hThread, event}) CloseHandle(h);
}

}  // namespace
}  // namespace kv
