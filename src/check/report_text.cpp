#include "check/report_text.h"

#include <algorithm>

#include "log/logger.h"

namespace kv {
namespace {

// Names longer than this push their own line's columns out rather than every line's.
constexpr std::size_t kWidestColumn = 40;
constexpr std::size_t kDecisionColumn = 10;

std::wstring padded(const std::wstring& text, std::size_t width) {
  return text.size() >= width ? text : text + std::wstring(width - text.size(), L' ');
}

std::wstring widened(std::string_view text) { return std::wstring(text.begin(), text.end()); }

// What a name holds is shown, never obeyed: a CR LF cannot begin a forged line, an ESC sequence
// cannot drive the terminal.
std::wstring shown(const std::wstring& text) { return withVisibleControls(text); }

std::wstring factsOf(const CheckedObject& object) {
  std::wstring facts;
  for (const auto& [key, value] : object.facts) {
    facts += (facts.empty() ? L" [" : L", ") + widened(key) + L": " + shown(value);
  }
  return facts.empty() ? facts : facts + L"]";
}

std::wstring decisionShown(const std::wstring& decision) {
  return decision == L"unknown" ? L"cannot tell" : decision;
}

void addSection(std::wstring& text, CheckedKind kind, const std::vector<CheckedObject>& objects,
                const std::wstring& note) {
  text += L"\n" + std::wstring(titleOf(kind)) + L"\n";
  if (!note.empty()) text += L"  Note: " + shown(note) + L"\n";
  if (objects.empty()) {
    text += L"  (none)\n";
    return;
  }
  std::size_t nameWidth = 0;
  for (const CheckedObject& object : objects) {
    nameWidth = std::max(nameWidth, std::min(shown(object.name).size(), kWidestColumn));
  }
  for (const CheckedObject& object : objects) {
    text += L"  " + padded(shown(object.name), nameWidth) + L"  " +
            padded(decisionShown(object.decision), kDecisionColumn) + L"  " + shown(object.why) +
            factsOf(object) + L"\n";
  }
}

std::wstring exitCodeMeaning(const CheckReport& report) {
  switch (report.exitCode) {
    case 0:
      return L"0, nothing of the maker";
    case 113:
      return L"113, the maker's objects stay: a clean run with these options changes none of them";
    case 114:
      return L"114, a clean run with these options would still change something";
    default:
      return std::to_wstring(report.exitCode);
  }
}

std::wstring headOf(const CheckReport& report) {
  const CheckHead& head = report.head;
  std::wstring text = L"Computer: " + shown(head.computer) + L", " + head.time + L", kvcheck " +
                      head.version + L"\nAccount: " + shown(head.account.name);
  text += head.account.localSystem ? L" (LocalSystem)"
          : head.account.elevated  ? L" (elevated)"
                                   : L" (not elevated)";
  text += L"\nWindows: " + shown(head.windowsVersion) + L", " +
          widened(architectureName(head.nativeMachine)) + L"\n";
  // The note on a file that names no model has said it first.
  if (!report.modelsNote) {
    text += L"Models: ";
    if (report.models.empty()) text += L"none, the maker's brand texts choose";
    for (std::size_t i = 0; i < report.models.size(); ++i) {
      text += (i == 0 ? L"" : L"|") + shown(report.models[i]);
    }
    text += L"\n";
  }
  text += L"Restart required: ";
  if (!report.restartRequired) return text + L"no\n";
  text += L"yes, since " + report.restartSince + L", by ";
  for (std::size_t i = 0; i < report.restartProducts.size(); ++i) {
    text += (i == 0 ? L"" : L"|") + shown(report.restartProducts[i]);
  }
  return text + L"\n";
}

std::wstring countsOf(const CheckReport& report) {
  std::wstring text;
  for (std::size_t kind = 0; kind < kCheckedKindCount; ++kind) {
    const auto counts = report.countsOf(static_cast<CheckedKind>(kind));
    std::wstring line;
    for (std::size_t i = 0; i < counts.size(); ++i) {
      if (counts[i] == 0) continue;
      line += (line.empty() ? L"" : L", ") + decisionShown(kDecisions[i]) + L" " +
              std::to_wstring(counts[i]);
    }
    if (!line.empty())
      text += L"  " + std::wstring(titleOf(static_cast<CheckedKind>(kind))) + L": " + line + L"\n";
  }
  return text;
}

}  // namespace

std::wstring textReport(const CheckReport& report) {
  std::wstring text = report.modelsNote ? shown(*report.modelsNote) + L"\n" : L"";
  text += L"What kvcleaner -C would do on this PC (nothing has been changed)\n" + headOf(report);
  text += L"Exit code: " + exitCodeMeaning(report) + L"\n" + countsOf(report);
  for (std::size_t kind = 0; kind < kCheckedKindCount; ++kind) {
    addSection(text, static_cast<CheckedKind>(kind), report.objects[kind], report.notes[kind]);
  }
  return text;
}

}  // namespace kv
