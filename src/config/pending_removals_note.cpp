#include "config/pending_removals_note.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "system/utf8.h"

namespace kv {
namespace {

// A note with a package's entry; one without is written as before, so that an older cleaner
// still reads it.
constexpr std::string_view kHeader = "kvcleaner pending removals 3";
constexpr std::string_view kSecondHeader = "kvcleaner pending removals 2";
// What cleaners before the error codes and times wrote; still read.
constexpr std::string_view kFirstHeader = "kvcleaner pending removals 1";

bool isSurrogate(wchar_t c) {
  const auto unit = static_cast<std::uint32_t>(c);
  return unit >= 0xD800 && unit <= 0xDFFF;
}

void appendEscapedBytes(std::string& out, std::wstring_view text) {
  for (const char byte : wideToUtf8(text)) {
    switch (byte) {
      case '%':
        out += "%25";
        break;
      case '\t':
        out += "%09";
        break;
      case '\r':
        out += "%0D";
        break;
      case '\n':
        out += "%0A";
        break;
      default:
        out.push_back(byte);
    }
  }
}

// Windows names are UTF-16 units, which need not pair up; UTF-8 has no form for a surrogate
// without its partner, so such a one is written as "%u" and its four hex digits.
void appendEscaped(std::string& out, std::wstring_view name) {
  std::size_t from = 0;
  for (std::size_t at = 0; at < name.size(); ++at) {
    if (!isSurrogate(name[at])) continue;
    const bool paired = sizeof(wchar_t) == 2 && at + 1 < name.size() &&
                        static_cast<std::uint32_t>(name[at]) < 0xDC00 &&
                        static_cast<std::uint32_t>(name[at + 1]) >= 0xDC00 &&
                        isSurrogate(name[at + 1]);
    if (paired) {
      ++at;
      continue;
    }
    appendEscapedBytes(out, name.substr(from, at - from));
    char unit[8] = {};
    std::snprintf(unit, sizeof unit, "%%u%04X", static_cast<unsigned>(name[at]));
    out += unit;
    from = at + 1;
  }
  appendEscapedBytes(out, name.substr(from));
}

// The four hex digits of a "%u" escape, upper case, naming a surrogate; nullopt for anything else.
std::optional<wchar_t> surrogateEscaped(std::string_view digits) {
  if (digits.size() != 4) return std::nullopt;
  std::uint32_t unit = 0;
  for (const char digit : digits) {
    const char* const hex = "0123456789ABCDEF";
    const char* const found = std::strchr(hex, digit);
    if (digit == '\0' || found == nullptr) return std::nullopt;
    unit = unit * 16 + static_cast<std::uint32_t>(found - hex);
  }
  if (unit < 0xD800 || unit > 0xDFFF) return std::nullopt;
  return static_cast<wchar_t>(unit);
}

std::optional<std::wstring> unescaped(std::string_view text) {
  std::wstring name;
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '%') {
      bytes.push_back(text[at]);
      continue;
    }
    if (text.substr(at + 1, 1) == "u") {
      const std::optional<wchar_t> unit = surrogateEscaped(text.substr(at + 2, 4));
      if (!unit) return std::nullopt;
      name += utf8ToWide(bytes);
      bytes.clear();
      name.push_back(*unit);
      at += 5;
      continue;
    }
    const std::string_view escape = text.substr(at + 1, 2);
    if (escape == "25") {
      bytes.push_back('%');
    } else if (escape == "09") {
      bytes.push_back('\t');
    } else if (escape == "0D") {
      bytes.push_back('\r');
    } else if (escape == "0A") {
      bytes.push_back('\n');
    } else {
      return std::nullopt;
    }
    at += 2;
  }
  return name + utf8ToWide(bytes);
}

// The next line of `bytes` from `at`, without its line end; moves `at` behind it.
std::string_view nextLine(std::string_view bytes, std::size_t& at) {
  const std::size_t end = bytes.find('\n', at);
  std::string_view line = bytes.substr(at, end == std::string_view::npos ? bytes.npos : end - at);
  at = end == std::string_view::npos ? bytes.size() : end + 1;
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

}  // namespace

std::string encodePendingRemovals(const std::vector<PendingRemoval>& entries) {
  const bool packages = std::any_of(entries.begin(), entries.end(),
                                    [](const PendingRemoval& entry) { return entry.package; });
  std::string out(packages ? kHeader : kSecondHeader);
  out += "\r\n";
  for (const PendingRemoval& entry : entries) appendPendingRemoval(out, entry);
  return out;
}

void appendPendingRemoval(std::string& bytes, const PendingRemoval& entry) {
  appendEscaped(bytes, entry.driver);
  bytes.push_back('\t');
  appendEscaped(bytes, entry.port);
  bytes += entry.package ? "\tpackage\t" : entry.portOnly ? "\tport\t" : "\tboth\t";
  bytes += std::to_string(entry.lastError);
  bytes.push_back('\t');
  appendEscaped(bytes, entry.failingSince);
  bytes += "\r\n";
}

namespace {

std::vector<std::string_view> fieldsOf(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t from = 0;
  for (std::size_t tab = line.find('\t'); tab != std::string_view::npos;
       tab = line.find('\t', from)) {
    fields.push_back(line.substr(from, tab - from));
    from = tab + 1;
  }
  fields.push_back(line.substr(from));
  return fields;
}

std::optional<std::uint32_t> errorCodeOf(std::string_view digits) {
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  std::uint64_t code = 0;
  for (const char digit : digits) {
    if (digit < '0' || digit > '9') return std::nullopt;
    code = code * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  if (code > UINT32_MAX) return std::nullopt;
  return static_cast<std::uint32_t>(code);
}

std::optional<PendingRemoval> entryOf(std::string_view line, bool firstShape, bool packages) {
  const std::vector<std::string_view> fields = fieldsOf(line);
  if (fields.size() != (firstShape ? 2u : 5u)) return std::nullopt;
  std::optional<std::wstring> driver = unescaped(fields[0]);
  std::optional<std::wstring> port = unescaped(fields[1]);
  if (!driver || !port) return std::nullopt;
  PendingRemoval entry{std::move(*driver), std::move(*port)};
  if (firstShape) return entry;
  entry.package = packages && fields[2] == "package";
  if (fields[2] != "port" && fields[2] != "both" && !entry.package) return std::nullopt;
  entry.portOnly = fields[2] == "port";
  const std::optional<std::uint32_t> code = errorCodeOf(fields[3]);
  std::optional<std::wstring> since = unescaped(fields[4]);
  if (!code || !since) return std::nullopt;
  entry.lastError = *code;
  entry.failingSince = std::move(*since);
  return entry;
}

}  // namespace

std::optional<std::vector<PendingRemoval>> decodePendingRemovals(std::string_view bytes) {
  std::size_t at = 0;
  if (bytes.empty()) return std::nullopt;
  const std::string_view header = nextLine(bytes, at);
  if (header != kHeader && header != kSecondHeader && header != kFirstHeader) return std::nullopt;
  std::vector<PendingRemoval> entries;
  while (at < bytes.size()) {
    std::optional<PendingRemoval> entry =
        entryOf(nextLine(bytes, at), header == kFirstHeader, header == kHeader);
    if (!entry) return std::nullopt;
    entries.push_back(std::move(*entry));
  }
  return entries;
}

}  // namespace kv
