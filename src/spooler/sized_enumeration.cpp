#include "spooler/sized_enumeration.h"

#include <functional>

#include "spooler/spooler_error.h"
#include "spooler/wrapper_reports.h"

namespace kv {

std::wstring_view EnumerationAnswer::view(const wchar_t* pointer) const {
  // The spooler places its texts in the buffer it fills. Whatever points elsewhere, or into the
  // last bytes where not one whole character fits, would be read outside the buffer.
  const auto* begin = reinterpret_cast<const wchar_t*>(buffer_.data());
  const auto* end = begin + buffer_.size() / sizeof(wchar_t);
  const std::less<const wchar_t*> before;
  if (pointer == nullptr || before(pointer, begin) || !before(pointer, end)) return {};
  const wchar_t* terminator = pointer;
  while (terminator < end && *terminator != L'\0') ++terminator;
  return std::wstring_view(pointer, static_cast<std::size_t>(terminator - pointer));
}

std::optional<EnumerationAnswer> enumerateWithSizing(PrintSpooler& spooler,
                                                     const EnumerationCall& call,
                                                     const EnumerationSite& site) {
  std::uint32_t needed = 0;
  std::uint32_t returned = 0;
  call(nullptr, 0, &needed, &returned);  // only the size matters

  for (int attempt = 1;; ++attempt) {
    // Eight spare bytes, so that a spooler that miscounts a terminator still fits its answer.
    SpoolerBuffer buffer(std::size_t{needed} + 8);
    if (!buffer.allocated()) {
      reportPlatformError(allocationErrorCode(spooler), site.functionName, site.allocationLine,
                          L"malloc");
      return std::nullopt;
    }
    returned = 0;
    if (call(buffer.data(), buffer.sizeArgument(), &needed, &returned)) {
      return EnumerationAnswer(std::move(buffer), returned);
    }
    const std::int32_t code = platformErrorCode(spooler);
    // Objects that came after the sizing make the answer longer than the buffer: the call says
    // how long it is now, and the listing is asked again.
    if (code != static_cast<std::int32_t>(kErrorInsufficientBuffer) ||
        attempt == kEnumerationAttempts) {
      reportPlatformError(code, site.functionName, site.callLine, site.apiName);
      return std::nullopt;
    }
  }
}

}  // namespace kv
