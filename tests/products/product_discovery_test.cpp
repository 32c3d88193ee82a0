#include "products/product_discovery.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "console_capture.h"
#include "products/installer_service_wrapper.h"
#include "standins/installer_memory.h"

namespace kv {
namespace {

using Op = InstallerOperation;
using Value = MemoryInstaller::RegistryValue;
using test::failureLine;

std::wstring code(int n) {
  return L"{6B1D2A3C-7E4F-4A51-9C2D-0E1F2A3B4C0" + std::to_wstring(n) + L"}";
}

// What a read gives: its result, the value and what it printed.
struct Outcome {
  bool result;
  std::wstring value;
  std::wstring printed;
};
Outcome gives(const std::wstring& value) { return {true, value, L""}; }
Outcome fails(const std::wstring& hex, const std::wstring& call) {
  return {false, L"", failureLine(hex, call)};
}

// One case's installer service, installed as the current one, with standard output captured.
struct Machine {
  void addProduct(int n, const wchar_t* publisher) {
    MemoryInstaller::Product product{code(n), {{L"ProductName", L"Product " + std::to_wstring(n)}}};
    if (publisher != nullptr) product.properties[L"Publisher"] = publisher;
    installer.addProduct(std::move(product));
  }

  // Runs `read` on a value that holds stale text and checks what it gave.
  template <typename Read>
  void expectRead(Read read, const Outcome& expected) {
    std::wstring value = L"stale";
    EXPECT_EQ(read(value), expected.result);
    EXPECT_EQ(value, expected.value);
    EXPECT_EQ(console.out, expected.printed);
  }

  MemoryInstaller installer;
  ScopedInstallerService installed{installer};
  test::ConsoleCapture console;
};

// Only "NOVAX" itself, compared whole and case-sensitively; the products after a left-out one
// are still looked at.
TEST(ProductDiscovery, PublisherMustBeTheMakerExactly) {
  for (const wchar_t* publisher :
       {L"novax", L"Novax", L"NOVAX Inc.", L" NOVAX", L"NOVAX ", L"THE NOVAX", L""}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(publisher)));
    Machine m;
    m.addProduct(1, publisher);
    m.addProduct(2, L"NOVAX");
    std::vector<std::wstring> codes;
    EXPECT_TRUE(EnumMakerProducts(codes));
    EXPECT_EQ(codes, std::vector<std::wstring>{code(2)});
    EXPECT_EQ(m.console.out, L"");
  }
}

TEST(ProductDiscovery, EnumerationListsInOrderAndStopsAtAnError) {
  struct Case {
    const char* what;
    std::vector<const wchar_t*> publishers;
    std::function<void(MemoryInstaller&)> prepare;
    bool result;
    std::vector<std::wstring> codes;
    std::wstring printed;
  };
  const auto failAt = [](std::uint32_t index, std::uint32_t result) {
    return [=](MemoryInstaller& m) { m.failEnumerationAt(index, result); };
  };
  const wchar_t* other = L"Other Maker";
  for (const Case& c : std::vector<Case>{
           {"no products", {}, nullptr, true, {}, L""},
           {"order kept, last one listed once",
            {L"NOVAX", other, L"NOVAX"},
            nullptr,
            true,
            {code(0), code(2)},
            L""},
           {"error at index 5",
            {other, L"NOVAX", other, L"NOVAX", L"NOVAX", L"NOVAX", L"NOVAX"},
            failAt(5, 1610),
            false,
            {code(1), code(3), code(4)},
            failureLine(L"64A", L"MsiEnumProducts")},
           {"error at the start",
            {L"NOVAX"},
            failAt(0, 234),
            false,
            {},
            failureLine(L"EA", L"MsiEnumProducts")},
           {"publisher missing",
            {nullptr, L"NOVAX"},
            nullptr,
            true,
            {code(1)},
            failureLine(L"648", L"MsiGetProductInfo")},
       }) {
    SCOPED_TRACE(c.what);
    Machine m;
    for (std::size_t i = 0; i < c.publishers.size(); ++i) m.addProduct(int(i), c.publishers[i]);
    if (c.prepare) c.prepare(m.installer);
    std::vector<std::wstring> codes{L"stale"};
    EXPECT_EQ(EnumMakerProducts(codes), c.result);
    EXPECT_EQ(codes, c.codes);
    EXPECT_EQ(m.console.out, c.printed);
  }
}

TEST(ProductDiscovery, ProductInfoValue) {
  struct Case {
    const char* what;
    std::wstring product;
    std::wstring property;
    std::wstring stored;
    Outcome expected;
  };
  const std::wstring longest(1023, L'x');
  for (const Case& c : std::vector<Case>{
           {"found", code(1), L"ProductName", L"KV [KV 100]", gives(L"KV [KV 100]")},
           {"empty", code(1), L"ProductName", L"", gives(L"")},
           {"longest that fits", code(1), L"ProductName", longest, gives(longest)},
           {"asked again", code(1), L"ProductName", longest + L"y", gives(longest + L"y")},
           {"unknown product", code(9), L"ProductName", L"x", fails(L"645", L"MsiGetProductInfo")},
           {"unknown property", code(1), L"Missing", L"x", fails(L"648", L"MsiGetProductInfo")},
       }) {
    SCOPED_TRACE(c.what);
    Machine m;
    m.installer.addProduct({code(1), {{L"ProductName", c.stored}}});
    m.expectRead(
        [&](std::wstring& value) { return GetProductInfoValue(c.product, c.property, value); },
        c.expected);
  }
}

TEST(ProductDiscovery, UninstallValue) {
  struct Case {
    const char* what;
    std::wstring product;
    std::wstring name;
    Value stored;
    std::function<void(MemoryInstaller&)> prepare;
    Outcome expected;
    bool view32 = false;  // the entry of a 32-bit package, found in the other view
  };
  const std::wstring command = L"MsiExec.exe /I" + code(1);
  const std::wstring full(1024, L'x');
  const std::wstring cut(1023, L'x');
  const auto text = [](const std::wstring& t, bool terminated = true) {
    return MemoryInstaller::textValue(t, InstallerService::kRegExpandSz, terminated);
  };
  const auto refuse = [](Op op) { return [op](MemoryInstaller& m) { m.failNext(op, 5); }; };
  const std::wstring name = L"UninstallString";
  const Value cmd = text(command);
  for (const Case& c : std::vector<Case>{
           {"found", code(1), name, cmd, {}, gives(command)},
           {"found in the 32-bit view", code(1), name, cmd, {}, gives(command), true},
           {"in neither view", code(2), name, cmd, {}, fails(L"2", L"RegOpenKey"), true},
           {"other view refused", code(1), name, cmd, refuse(Op::OpenKeyEx),
            fails(L"5", L"RegOpenKey"), true},
           {"no value", code(1), L"DisplayName", cmd, {}, fails(L"2", L"RegQueryValueEx")},
           {"query refused", code(1), name, cmd, refuse(Op::QueryValue),
            fails(L"5", L"RegQueryValueEx")},
           {"open refused", code(1), name, cmd, refuse(Op::OpenKey), fails(L"5", L"RegOpenKey")},
           {"fills the buffer terminated", code(1), name, text(cut), {}, gives(cut)},
           {"fills the buffer unterminated", code(1), name, text(full, false), {}, gives(cut)},
           {"short, without a terminator", code(1), name, text(L"abc", false), {}, gives(L"abc")},
           {"too long", code(1), name, text(full), {}, fails(L"EA", L"RegQueryValueEx")},
       }) {
    SCOPED_TRACE(c.what);
    Machine m;
    m.installer.addUninstallEntry(code(1), {{name, c.stored}}, c.view32);
    if (c.prepare) c.prepare(m.installer);
    m.expectRead([&](std::wstring& value) { return GetUninstallValue(c.product, c.name, value); },
                 c.expected);
    // The key is always closed, and the value read into the 2048 bytes.
    EXPECT_EQ(m.installer.openKeyCount(), 0u);
    const std::vector<std::wstring>& calls = m.installer.calls();
    const std::wstring path = std::wstring(kUninstallKeyPath) + c.product;
    EXPECT_EQ(calls.front(), L"RegOpenKeyW(HKLM, " + path + L")");
    // Only a missing entry is looked for in the 32-bit view, for reading values only.
    const std::size_t opens = c.view32 ? 2 : 1;
    if (c.view32) {
      EXPECT_EQ(calls[1], L"RegOpenKeyExW(HKLM, " + path + L", 0, 0x201)");
    }
    if (calls.size() > opens) {
      EXPECT_EQ(calls[opens], L"RegQueryValueExW(k1, " + c.name + L", buffer, 2048)");
      EXPECT_EQ(calls.back(), L"RegCloseKey(k1)");
    }
  }
}

// Raises std::bad_alloc once, right after the next call of one operation on the in-memory
// installer behind it (a key it opened is then held by the caller).
class RaisingInstaller : public InstallerServiceWrapper {
 public:
  using InstallerServiceWrapper::InstallerServiceWrapper;

  std::optional<Op> raiseAfter;

 private:
  void pass(Op operation, CallRef call) override {
    call();
    if (raiseAfter != operation) return;
    raiseAfter.reset();
    throw std::bad_alloc();
  }
};

// An exception inside an operation is printed as its failure with code 8 and the operation
// fails; a product whose Publisher read raised is left out and the enumeration goes on.
TEST(ProductDiscovery, ExceptionInsideAnOperationIsItsFailureWithCode8) {
  struct Case {
    const char* what;
    Op raiseAfter;
    std::function<bool(std::wstring&)> read;
    Outcome expected;
  };
  const auto enumerate = [](std::wstring& listed) {
    std::vector<std::wstring> codes{L"stale"};
    const bool result = EnumMakerProducts(codes);
    listed.clear();
    for (const std::wstring& code : codes) listed += code;
    return result;
  };
  const auto productName = [](std::wstring& value) {
    return GetProductInfoValue(code(1), L"ProductName", value);
  };
  const auto uninstallString = [](std::wstring& value) {
    return GetUninstallValue(code(1), L"UninstallString", value);
  };
  for (const Case& c : std::vector<Case>{
           {"enumeration", Op::EnumProducts, enumerate, fails(L"8", L"EnumMakerProducts")},
           {"publisher of the first product",
            Op::GetProductInfo,
            enumerate,
            {true, code(1), failureLine(L"8", L"GetProductInfoValue")}},
           {"product name", Op::GetProductInfo, productName, fails(L"8", L"GetProductInfoValue")},
           {"key opened", Op::OpenKey, uninstallString, fails(L"8", L"GetUninstallValue")},
           {"value read", Op::QueryValue, uninstallString, fails(L"8", L"GetUninstallValue")},
       }) {
    SCOPED_TRACE(c.what);
    MemoryInstaller memory;
    RaisingInstaller installer(memory);
    ScopedInstallerService installed(installer);
    test::ConsoleCapture console;
    memory.addProduct({code(0), {{L"Publisher", L"NOVAX"}, {L"ProductName", L"KV 0"}}});
    memory.addProduct({code(1), {{L"Publisher", L"NOVAX"}, {L"ProductName", L"KV 1"}}});
    memory.addUninstallEntry(code(1), {{L"UninstallString", MemoryInstaller::textValue(L"x")}});
    installer.raiseAfter = c.raiseAfter;
    std::wstring value = L"stale";
    EXPECT_EQ(c.read(value), c.expected.result);
    EXPECT_EQ(value, c.expected.value);
    EXPECT_EQ(console.out, c.expected.printed);
    EXPECT_EQ(memory.openKeyCount(), 0u);
  }
}

}  // namespace
}  // namespace kv
