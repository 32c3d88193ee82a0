#include "standins/installer_memory.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace kv {
namespace {

using Op = InstallerOperation;
const std::wstring kCode = L"{6B1D2A3C-7E4F-4A51-9C2D-0E1F2A3B4C01}";
const std::wstring kEntry = std::wstring(kUninstallKeyPath) + kCode;

MemoryInstaller filled() {
  MemoryInstaller installer;
  installer.addProduct({kCode, {{L"ProductName", L"ABCDEF"}}});
  installer.addUninstallEntry(kCode, {{L"UninstallString", MemoryInstaller::textValue(L"ABC")}});
  return installer;
}

// Text that does not fit is answered with 234 and the needed size and not written; the buffers
// are one element larger than the room given.
TEST(MemoryInstaller, BuffersThatDoNotFit) {
  for (const std::uint32_t room : {0u, 1u, 6u, 7u}) {
    SCOPED_TRACE(room);
    MemoryInstaller installer = filled();
    std::wstring value(8, L'#');
    std::uint32_t chars = room;
    EXPECT_EQ(installer.msiGetProductInfoW(kCode.c_str(), L"ProductName", value.data(), &chars),
              room < 7 ? 234u : 0u);
    EXPECT_EQ(chars, 6u);
    EXPECT_EQ(value, room < 7 ? std::wstring(8, L'#') : std::wstring(L"ABCDEF\0#", 8));
  }
  for (const std::uint32_t room : {0u, 7u, 8u}) {
    SCOPED_TRACE(room);
    MemoryInstaller installer = filled();
    RegistryKey key = RegistryKey::None;
    ASSERT_EQ(installer.regOpenKeyW(kLocalMachine, kEntry.c_str(), &key), 0);
    std::array<std::uint8_t, 9> data;
    data.fill(0xA5);
    std::uint32_t bytes = room;
    std::uint32_t type = 0;
    EXPECT_EQ(
        installer.regQueryValueExW(key, L"UninstallString", nullptr, &type, data.data(), &bytes),
        room < 8 ? 234 : 0);
    EXPECT_EQ(bytes, 8u);
    EXPECT_EQ(type, InstallerService::kRegSz);
    EXPECT_EQ(data[room < 8 ? 0 : 8], 0xA5);  // untouched, or the first byte past the room
    EXPECT_EQ(installer.regCloseKey(key), 0);
    EXPECT_EQ(installer.openKeyCount(), 0u);
  }
}

TEST(MemoryInstaller, RemovedProductIsGoneFromEnumerationAndRegistry) {
  MemoryInstaller installer = filled();
  installer.addProduct({L"{6B1D2A3C-7E4F-4A51-9C2D-0E1F2A3B4C02}", {}});
  EXPECT_TRUE(installer.removeProduct(kCode));
  EXPECT_FALSE(installer.removeProduct(kCode));
  std::array<wchar_t, 39> code{};
  EXPECT_EQ(installer.msiEnumProductsW(0, code.data()), 0u);
  EXPECT_EQ(std::wstring(code.data()), L"{6B1D2A3C-7E4F-4A51-9C2D-0E1F2A3B4C02}");
  EXPECT_EQ(installer.msiEnumProductsW(1, code.data()), 259u);
  RegistryKey key = RegistryKey::None;
  EXPECT_EQ(installer.regOpenKeyW(kLocalMachine, kEntry.c_str(), &key), 2);
  EXPECT_EQ(key, RegistryKey::None);
  EXPECT_FALSE(installer.hasUninstallEntry(kCode));
}

TEST(MemoryInstaller, InjectedResults) {
  MemoryInstaller installer = filled();
  std::array<wchar_t, 39> code{};
  installer.failNext(Op::EnumProducts, 1610, 1);
  installer.failEnumerationAt(2, 87);
  EXPECT_EQ(installer.msiEnumProductsW(0, code.data()), 0u);
  EXPECT_EQ(installer.msiEnumProductsW(0, code.data()), 1610u);
  EXPECT_EQ(installer.msiEnumProductsW(1, code.data()), 259u);
  EXPECT_EQ(installer.msiEnumProductsW(2, code.data()), 87u);
  installer.failAlways(Op::OpenKey, 5);
  RegistryKey key = RegistryKey::None;
  EXPECT_EQ(installer.regOpenKeyW(kLocalMachine, kEntry.c_str(), &key), 5);
  EXPECT_EQ(installer.regOpenKeyW(kLocalMachine, L"SOFTWARE", &key), 5);
  installer.stopFailing(Op::OpenKey);
  EXPECT_EQ(installer.regOpenKeyW(kLocalMachine, L"software\\microsoft", &key), 0);
  EXPECT_EQ(installer.calls().back(), L"RegOpenKeyW(HKLM, software\\microsoft)");
}

#ifndef _WIN32
// The native program's own installer service has no products and an empty registry, and
// answers as an empty in-memory one.
TEST(MemoryInstaller, EmptyOneAnswersAsTheNativePlatformsOwn) {
  wchar_t text[InstallerService::kProductCodeChars];
  std::uint32_t chars = 39, reserved = 0;
  RegistryKey key = RegistryKey::None;
  using Call = std::function<std::int64_t(InstallerService&)>;
  const auto open = [&](RegistryKey root, const wchar_t* subKey) {
    return [&, root, subKey](InstallerService& s) { return s.regOpenKeyW(root, subKey, &key); };
  };
  const auto query = [&](RegistryKey which, std::uint32_t* reservedArg, std::uint8_t* data) {
    return [&, which, reservedArg, data](InstallerService& s) {
      return s.regQueryValueExW(which, L"UninstallString", reservedArg, nullptr, data, nullptr);
    };
  };
  const std::vector<Call> calls{
      [&](InstallerService& s) { return s.msiEnumProductsW(0, text); },
      [&](InstallerService& s) { return s.msiEnumProductsW(0, nullptr); },
      [&](InstallerService& s) { return s.msiGetProductInfoW(L"{x}", L"Publisher", text, &chars); },
      [&](InstallerService& s) {
        return s.msiGetProductInfoW(L"{x}", L"Publisher", text, nullptr);
      },
      [&](InstallerService& s) {
        return s.msiGetProductInfoW(nullptr, L"Publisher", nullptr, nullptr);
      },
      open(kLocalMachine, L"SOFTWARE"),
      open(static_cast<RegistryKey>(77), L""),
      [&](InstallerService& s) { return s.regOpenKeyW(kLocalMachine, L"", nullptr); },
      query(kLocalMachine, nullptr, nullptr),
      query(key, &reserved, nullptr),
      query(kLocalMachine, nullptr, reinterpret_cast<std::uint8_t*>(text)),
      open(kLocalMachine, L"\\\\"),
      query(static_cast<RegistryKey>(1), nullptr, nullptr),
      [&](InstallerService& s) { return s.regCloseKey(static_cast<RegistryKey>(1)); },
      [&](InstallerService& s) { return s.regCloseKey(static_cast<RegistryKey>(1)); },
      open(kLocalMachine, nullptr),
      [&](InstallerService& s) { return s.regCloseKey(kLocalMachine); },
  };
  const auto answers = [&](InstallerService& installer) {
    std::vector<std::int64_t> seen;
    for (const Call& call : calls) seen.push_back(call(installer));
    seen.push_back(static_cast<std::int64_t>(key));
    return seen;
  };
  MemoryInstaller memory;
  EXPECT_EQ(answers(platformInstallerService()), answers(memory));
}
#endif

}  // namespace
}  // namespace kv
