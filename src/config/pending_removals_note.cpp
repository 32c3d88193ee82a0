#include "config/pending_removals_note.h"

#include "system/utf8.h"

namespace kv {
namespace {

constexpr std::string_view kHeader = "kvcleaner pending removals 1";

void appendEscaped(std::string& out, std::wstring_view name) {
  for (const char byte : wideToUtf8(name)) {
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

std::optional<std::wstring> unescaped(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '%') {
      bytes.push_back(text[at]);
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
  return utf8ToWide(bytes);
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
  std::string out(kHeader);
  out += "\r\n";
  for (const PendingRemoval& entry : entries) appendPendingRemoval(out, entry.driver, entry.port);
  return out;
}

void appendPendingRemoval(std::string& bytes, std::wstring_view driver, std::wstring_view port) {
  appendEscaped(bytes, driver);
  bytes.push_back('\t');
  appendEscaped(bytes, port);
  bytes += "\r\n";
}

std::optional<std::vector<PendingRemoval>> decodePendingRemovals(std::string_view bytes) {
  std::size_t at = 0;
  if (bytes.empty() || nextLine(bytes, at) != kHeader) return std::nullopt;
  std::vector<PendingRemoval> entries;
  while (at < bytes.size()) {
    const std::string_view line = nextLine(bytes, at);
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || line.find('\t', tab + 1) != std::string_view::npos) {
      return std::nullopt;
    }
    std::optional<std::wstring> driver = unescaped(line.substr(0, tab));
    std::optional<std::wstring> port = unescaped(line.substr(tab + 1));
    if (!driver || !port) return std::nullopt;
    entries.push_back({std::move(*driver), std::move(*port)});
  }
  return entries;
}

}  // namespace kv
