// What the check says about an object the driver filter chose, and about a listing that failed.
#include "check/check_run.h"
#include "system/system_services.h"

namespace kv {
namespace {

std::wstring& lastFailure() {
  static std::wstring line;
  return line;
}

}  // namespace

int listingFailed(int code, const wchar_t* line) {
  lastFailure() = line;
  SystemServices::current().writeConsole(ConsoleStream::Err, std::wstring(line) + L"\n");
  return code;
}

const std::wstring& lastListingFailure() { return lastFailure(); }

void noteWhyChosen(const CheckRun& run, const std::wstring& driver, CheckedObject& object) {
  if (!run.modelSet.empty()) {
    object.why = L"driver " + driver + L" is a configured model";
    return;
  }
  // Brand texts match inside other words too: the word shows what chose the driver.
  if (const std::optional<std::wstring_view> word = brandWordIn(driver)) {
    object.brandWord = std::wstring(*word);
    object.why = L"driver " + driver + L" holds the brand text " + *object.brandWord;
  }
}

}  // namespace kv
