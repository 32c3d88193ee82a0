#include "check/report_text.h"

#include <algorithm>

namespace kv {
namespace {

// Names longer than this push their own line's columns out rather than every line's.
constexpr std::size_t kWidestColumn = 40;

std::wstring padded(const std::wstring& text, std::size_t width) {
  return text.size() >= width ? text : text + std::wstring(width - text.size(), L' ');
}

std::wstring factsOf(const CheckedObject& object) {
  std::wstring facts;
  for (const auto& [key, value] : object.facts) {
    facts += (facts.empty() ? L" [" : L", ") + std::wstring(key.begin(), key.end()) + L": " + value;
  }
  return facts.empty() ? facts : facts + L"]";
}

void addSection(std::wstring& text, CheckedKind kind, const std::vector<CheckedObject>& objects,
                const std::wstring& note) {
  text += L"\n" + std::wstring(titleOf(kind)) + L"\n";
  if (!note.empty()) text += L"  Note: " + note + L"\n";
  if (objects.empty()) {
    text += L"  (none)\n";
    return;
  }
  std::size_t nameWidth = 0;
  for (const CheckedObject& object : objects) {
    nameWidth = std::max(nameWidth, std::min(object.name.size(), kWidestColumn));
  }
  for (const CheckedObject& object : objects) {
    text += L"  " + padded(object.name, nameWidth) + L"  " + padded(object.decision, 10) + L"  " +
            object.why + factsOf(object) + L"\n";
  }
}

}  // namespace

std::wstring textReport(const CheckReport& report) {
  std::wstring text = L"What kvcleaner -C would do on this PC (nothing has been changed)\nModels: ";
  if (report.models.empty()) text += L"none, the maker's brand texts choose";
  for (std::size_t i = 0; i < report.models.size(); ++i) {
    text += (i == 0 ? L"" : L"|") + report.models[i];
  }
  text += L"\nRestart required: ";
  if (!report.restartRequired) text += L"no";
  if (report.restartRequired) text += L"yes, since " + report.restartSince + L", by ";
  for (std::size_t i = 0; report.restartRequired && i < report.restartProducts.size(); ++i) {
    text += (i == 0 ? L"" : L"|") + report.restartProducts[i];
  }
  text += L"\n";
  for (std::size_t kind = 0; kind < kCheckedKindCount; ++kind) {
    addSection(text, static_cast<CheckedKind>(kind), report.objects[kind], report.notes[kind]);
  }
  return text;
}

}  // namespace kv
