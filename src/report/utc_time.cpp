#include "report/utc_time.h"

#include <cstdio>

namespace kv {
namespace {

bool digitsAt(std::string_view text, std::size_t at, std::size_t count, int& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a day of the proleptic Gregorian calendar (Howard Hinnant's
// days_from_civil).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

}  // namespace

std::optional<UtcSeconds> parseUtcText(std::string_view text, UtcTextForm form) {
  if (form == UtcTextForm::DateOrDateTime && !text.empty() && text.back() == 'Z') {
    text.remove_suffix(1);
  } else if (form == UtcTextForm::Full) {
    if (text.size() != 20 || text.back() != 'Z') return std::nullopt;
    text.remove_suffix(1);
  }
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!digitsAt(text, 0, 4, year) || text.size() < 10 || text[4] != '-' ||
      !digitsAt(text, 5, 2, month) || text[7] != '-' || !digitsAt(text, 8, 2, day)) {
    return std::nullopt;
  }
  const std::size_t length = text.size();
  if (length != 10) {
    if (length != 16 && length != 19) return std::nullopt;
    if (text[10] != 'T' || !digitsAt(text, 11, 2, hour) || text[13] != ':' ||
        !digitsAt(text, 14, 2, minute)) {
      return std::nullopt;
    }
    if (length == 19 && (text[16] != ':' || !digitsAt(text, 17, 2, second))) return std::nullopt;
  }
  if (form == UtcTextForm::Full && length != 19) return std::nullopt;
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59) {
    return std::nullopt;
  }
  return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::string utcText(UtcSeconds seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // civil_from_days, the inverse of the above.
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const std::int64_t year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ",
                static_cast<long long>(year), month, day, static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
  return text;
}

}  // namespace kv
