#include "check/report_line.h"

#include <cstdint>
#include <type_traits>

#include "check/json_text.h"

namespace kv {
namespace {

// Room for one name or fact: a line holds many.
constexpr std::size_t kValueRoom = 64;
constexpr char kCut[] = "...";

std::string escapedCharacter(wchar_t c) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  const auto code = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<wchar_t>>(c));
  std::string out;
  if (code >= 0x80) {
    appendUnitEscapes(out, code);
  } else if (code <= 0x20 || code == 0x7F || code == ',' || code == '=') {
    out = std::string("\\x") + kHexDigits[code >> 4] + kHexDigits[code & 0xF];
  } else {
    out.push_back(static_cast<char>(code));
  }
  return out;
}

// The text escaped, at most `room` characters, cut with "..." where it does not fit.
std::string value(std::wstring_view text, std::size_t room = kValueRoom) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::string next = escapedCharacter(text[i]);
    const bool last = i + 1 == text.size();
    if (out.size() + next.size() + (last ? 0 : sizeof kCut - 1) > room) return out + kCut;
    out += next;
  }
  return out;
}

std::string narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

std::string headOf(const CheckReport& report) {
  const CheckHead& head = report.head;
  std::string line = "kvcheck=2 exit=" + std::to_string(report.exitCode) +
                     " computer=" + value(head.computer) + " time=" + value(head.time) +
                     " version=" + value(head.version) + " account=" + value(head.account.name) +
                     " localSystem=" + (head.account.localSystem ? "1" : "0") +
                     " elevated=" + (head.account.elevated ? "1" : "0") +
                     " windows=" + value(head.windowsVersion) +
                     " arch=" + architectureName(head.nativeMachine);
  std::wstring models;
  for (const std::wstring& model : report.models) models += (models.empty() ? L"" : L"|") + model;
  line += " models=" + value(models, 4 * kValueRoom);
  if (report.modelsNote) line += " modelsNote=1";
  if (!report.failure.empty()) line += " failure=" + value(report.failure, 2 * kValueRoom);
  line += std::string(" restart=") + (report.restartRequired ? "1" : "0");
  return line;
}

}  // namespace

std::string oneLineReport(const CheckReport& report) {
  std::string line = headOf(report);
  for (std::size_t kind = 0; kind < kCheckedKindCount; ++kind) {
    const auto counts = report.countsOf(static_cast<CheckedKind>(kind));
    for (std::size_t i = 0; i < counts.size(); ++i) {
      if (counts[i] == 0) continue;
      line += std::string(" ") + jsonKeyOf(static_cast<CheckedKind>(kind)) + "." +
              narrow(kDecisions[i]) + "=" + std::to_string(counts[i]);
    }
  }
  line += " change=";
  std::string names;
  for (std::size_t kind = 0; kind < kCheckedKindCount && names != kCut; ++kind) {
    for (const CheckedObject& object : report.objects[kind]) {
      if (!cleanRunChanges(object)) continue;
      const std::string item = std::string(names.empty() ? "" : ",") +
                               jsonKeyOf(static_cast<CheckedKind>(kind)) + ":" + value(object.name);
      if (line.size() + names.size() + item.size() + sizeof kCut - 1 > kOneLineLimit) {
        line += names + kCut;
        names = kCut;
        break;
      }
      names += item;
    }
  }
  if (names != kCut) line += names;
  // The head and the counts alone stay far below the limit; this holds whatever they hold.
  if (line.size() > kOneLineLimit) line = line.substr(0, kOneLineLimit - 3) + kCut;
  return line;
}

}  // namespace kv
