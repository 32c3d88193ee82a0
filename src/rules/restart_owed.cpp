#include "rules/restart_owed.h"

#include <algorithm>
#include <array>
#include <cwchar>

#include "system/multi_string.h"

namespace kv {
namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

std::int64_t nowSeconds() { return utcSeconds(SystemServices::current().universalTime()); }

}  // namespace

std::wstring isoUtcText(const LocalTime& utc) {
  std::array<wchar_t, 32> text{};
  if (std::swprintf(text.data(), text.size(), L"%04d-%02d-%02dT%02d:%02d:%02dZ", utc.year,
                    utc.month, utc.day, utc.hour, utc.minute, utc.second) < 0) {
    return L"";
  }
  return text.data();
}

std::int64_t utcSeconds(const LocalTime& utc) {
  return daysFromCivil(utc.year, static_cast<unsigned>(utc.month), static_cast<unsigned>(utc.day)) *
             86400 +
         utc.hour * 3600 + utc.minute * 60 + utc.second;
}

std::optional<std::int64_t> isoUtcSeconds(std::wstring_view text) {
  constexpr std::wstring_view kShape = L"dddd-dd-ddTdd:dd:ddZ";
  if (text.size() != kShape.size()) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= L'0' && text[i] <= L'9';
    if (kShape[i] == L'd' ? !digit : text[i] != kShape[i]) return std::nullopt;
  }
  const auto number = [&](std::size_t at, std::size_t length) {
    int value = 0;
    for (std::size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - L'0');
    return value;
  };
  const LocalTime utc{number(0, 4),  number(5, 2),  number(8, 2),
                      number(11, 2), number(14, 2), number(17, 2)};
  if (utc.month < 1 || utc.month > 12 || utc.day < 1 || utc.day > 31 || utc.hour > 23 ||
      utc.minute > 59 || utc.second > 60) {
    return std::nullopt;
  }
  return utcSeconds(utc);
}

bool restartStillOwed(std::int64_t recordedSeconds, std::int64_t nowSeconds,
                      std::uint64_t millisecondsSinceStart) {
  const auto started = nowSeconds - static_cast<std::int64_t>(millisecondsSinceStart / 1000);
  return recordedSeconds >= started;
}

RestartOwed readRestartOwed() {
  RestartOwed owed;
  SystemServices& system = SystemServices::current();
  std::string bytes;
  if (system.readMachineValue(kRestartOwedValue, bytes) != MachineValueRead::Read) return owed;
  owed.recorded = true;
  std::vector<std::wstring> texts = multiStringTexts(bytes);
  if (texts.empty()) return owed;
  const std::optional<std::int64_t> since = isoUtcSeconds(texts.front());
  if (!since || !restartStillOwed(*since, nowSeconds(), system.millisecondsSinceStart())) {
    return owed;
  }
  owed.required = true;
  owed.since = texts.front();
  owed.products.assign(texts.begin() + 1, texts.end());
  return owed;
}

bool recordRestartOwed(const std::wstring& product) {
  RestartOwed owed = readRestartOwed();
  if (!owed.required) owed.since = isoUtcText(SystemServices::current().universalTime());
  if (std::find(owed.products.begin(), owed.products.end(), product) == owed.products.end()) {
    owed.products.push_back(product);
  }
  std::vector<std::wstring> texts{owed.since};
  texts.insert(texts.end(), owed.products.begin(), owed.products.end());
  return SystemServices::current().writeMachineTexts(kRestartOwedValue, texts);
}

}  // namespace kv
