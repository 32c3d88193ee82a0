#include "report/report_html.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "report/pc_columns.h"
#include "report/state_chart.h"

namespace kv {
namespace {

// How many of the most frequent objects that stay the page lists.
constexpr std::size_t kStaysListed = 200;

const char kStyle[] =
    R"(body{font:14px/1.4 "Segoe UI",Arial,sans-serif;color:#1a1a1a;margin:12px 20px;max-width:1320px}
h1{font-size:22px;margin:4px 0 8px}h2{font-size:18px;margin:22px 0 6px;border-bottom:2px solid #999}
h3{font-size:15px;margin:14px 0 4px}
table{border-collapse:collapse;margin:4px 0 12px}
th,td{border:1px solid #bbb;padding:2px 6px;text-align:left;vertical-align:top;overflow-wrap:anywhere}
th{background:#eee}td.n{text-align:right}
.mark{display:inline-block;width:10px;height:10px;margin-right:6px}
.chart text{font:13px "Segoe UI",Arial,sans-serif;fill:#1a1a1a}
.top{display:flex;flex-wrap:wrap;gap:8px 32px;align-items:flex-start}
.pc{border-top:1px solid #ddd}p.facts{margin:2px 0}
@media print{body{margin:0;font-size:10pt;max-width:none}a{color:inherit;text-decoration:none}
tr,.chart{break-inside:avoid}thead{display:table-header-group}h2{break-after:avoid}})";

void cell(std::ostream& out, const std::string& text, bool number = false) {
  out << (number ? "<td class=\"n\">" : "<td>") << htmlText(text) << "</td>";
}

void headerRow(std::ostream& out, std::initializer_list<const char*> titles) {
  out << "<thead><tr>";
  for (const char* title : titles) out << "<th>" << title << "</th>";
  out << "</tr></thead>\n";
}

std::string stateMark(PcState state) {
  return std::string("<span class=\"mark\" style=\"background:") + stateColour(state) +
         "\"></span>";
}

bool hasDetails(const Pc& pc) {
  return !pc.latest.objects.empty() || pc.latest.failure != 0 || pc.latest.restartProducts != 0 ||
         pc.earliest.has_value();
}

// The anchor of each PC that has a section of its own, by its place in the fleet's order.
class Anchors {
 public:
  explicit Anchors(const Fleet& fleet) {
    std::size_t index = 0;
    for (const auto& [key, pc] : fleet.pcs()) {
      anchors_.push_back(hasDetails(pc) ? "pc-" + std::to_string(++index) : std::string());
    }
  }
  const std::string& of(std::size_t place) const { return anchors_[place]; }

 private:
  std::vector<std::string> anchors_;
};

void computerCell(std::ostream& out, const std::string& computer, const std::string& anchor) {
  if (anchor.empty()) return cell(out, computer);
  out << "<td><a href=\"#" << anchor << "\">" << htmlText(computer) << "</a></td>";
}

void writeStates(const Fleet& fleet, std::ostream& out) {
  std::array<std::size_t, kPcStateCount> counts{};
  for (const auto& [key, pc] : fleet.pcs()) ++counts[static_cast<std::size_t>(pc.latest.state)];
  out << "<section id=\"states\"><h2>PCs per state</h2>\n<div class=\"top\">";
  writeStateChart(counts, out);
  out << "<table class=\"states\">";
  headerRow(out, {"State", "PCs"});
  for (std::size_t i = 0; i < kPcStateCount; ++i) {
    const auto state = static_cast<PcState>(i);
    out << "<tr><td>" << stateMark(state);
    if (counts[i] > 0) {
      out << "<a href=\"#state-" << stateKey(state) << "\">" << stateLabel(state) << "</a>";
    } else {
      out << stateLabel(state);
    }
    out << "</td><td class=\"n\" id=\"count-" << stateKey(state) << "\">" << counts[i]
        << "</td></tr>\n";
  }
  out << "</table></div></section>\n";
}

void writeStays(const Fleet& fleet, std::ostream& out) {
  using Key = std::tuple<std::uint8_t, TextPool::Id, TextPool::Id, TextPool::Id>;
  std::map<Key, std::size_t> pcsPerObject;
  const TextPool& texts = fleet.texts();
  for (const auto& [computer, pc] : fleet.pcs()) {
    std::set<Key> ofThisPc;
    for (const PcObject& object : pc.latest.objects) {
      if (!stays(texts.text(object.decision))) continue;
      if (ofThisPc.emplace(object.kind, object.name, object.decision, object.why).second) {
        ++pcsPerObject[{object.kind, object.name, object.decision, object.why}];
      }
    }
  }
  std::vector<std::pair<Key, std::size_t>> ranked(pcsPerObject.begin(), pcsPerObject.end());
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  out << "<section id=\"stays\"><h2>What stays, and why</h2>\n";
  if (ranked.empty()) {
    out << "<p>Nothing stays on any PC.</p></section>\n";
    return;
  }
  if (ranked.size() > kStaysListed) {
    out << "<p>The " << kStaysListed << " most frequent of " << ranked.size() << ".</p>\n";
    ranked.resize(kStaysListed);
  }
  out << "<table class=\"stays\">";
  headerRow(out, {"Kind", "Name", "Decision", "Why", "PCs"});
  for (const auto& [key, count] : ranked) {
    const auto& [kind, name, decision, why] = key;
    out << "<tr>";
    cell(out, kObjectKinds[kind].title);
    cell(out, texts.text(name));
    cell(out, texts.text(decision));
    cell(out, texts.text(why));
    cell(out, std::to_string(count), true);
    out << "</tr>\n";
  }
  out << "</table></section>\n";
}

void writeChanges(const Fleet& fleet, const Anchors& anchors, std::ostream& out) {
  std::map<std::pair<PcState, PcState>, std::size_t> moves;
  for (const auto& [key, pc] : fleet.pcs()) {
    if (pc.earliest) ++moves[{pc.earliest->state, pc.latest.state}];
  }
  if (moves.empty()) return;
  out << "<section id=\"changes\"><h2>What changed</h2>\n<p>Each PC with documents of more than "
         "one time: its earliest (before) against its latest (after).</p>\n<table "
         "class=\"moves\">";
  headerRow(out, {"Before", "After", "PCs"});
  for (const auto& [move, count] : moves) {
    out << "<tr>";
    cell(out, stateLabel(move.first));
    cell(out, stateLabel(move.second));
    cell(out, std::to_string(count), true);
    out << "</tr>\n";
  }
  out << "</table>\n<table class=\"changed\">";
  headerRow(out,
            {"Computer", "Before", "Time before", "After", "Time after", "Gone", "Stayed", "New"});
  std::size_t place = 0;
  for (const auto& [key, pc] : fleet.pcs()) {
    const std::string& anchor = anchors.of(place++);
    if (!pc.earliest) continue;
    const PcChange change = changeOf(*pc.earliest, pc.latest);
    out << "<tr>";
    computerCell(out, pc.latest.computer, anchor);
    cell(out, stateLabel(pc.earliest->state));
    cell(out, utcText(pc.earliest->time));
    cell(out, stateLabel(pc.latest.state));
    cell(out, utcText(pc.latest.time));
    cell(out, std::to_string(change.gone.size()), true);
    cell(out, std::to_string(change.stayed.size()), true);
    cell(out, std::to_string(change.added.size()), true);
    out << "</tr>\n";
  }
  out << "</table></section>\n";
}

void writeStateTables(const Fleet& fleet, const Anchors& anchors, std::ostream& out) {
  for (std::size_t i = 0; i < kPcStateCount; ++i) {
    const auto state = static_cast<PcState>(i);
    std::size_t place = 0;
    bool started = false;
    for (const auto& [key, pc] : fleet.pcs()) {
      const std::string& anchor = anchors.of(place++);
      if (pc.latest.state != state) continue;
      if (!started) {
        out << "<section class=\"state\" id=\"state-" << stateKey(state) << "\"><h2>"
            << stateMark(state) << stateLabel(state) << "</h2>\n<table class=\"pcs\">";
        headerRow(out,
                  {"Computer", "Time", "Account", "Architecture", "Windows", "kvcheck", "Objects"});
        started = true;
      }
      const PcColumns columns = pcColumns(fleet, pc.latest);
      out << "<tr>";
      computerCell(out, columns.computer, anchor);
      for (const std::string* text : {&columns.time, &columns.account, &columns.architecture,
                                      &columns.windows, &columns.version, &columns.objects}) {
        cell(out, *text);
      }
      out << "</tr>\n";
    }
    if (started) out << "</table></section>\n";
  }
}

void objectRows(const Fleet& fleet, const std::vector<const PcObject*>& objects, const char* what,
                std::ostream& out) {
  for (const PcObject* object : objects) {
    out << "<tr>";
    if (what != nullptr) cell(out, what);
    cell(out, kObjectKinds[object->kind].title);
    cell(out, fleet.texts().text(object->name));
    cell(out, fleet.texts().text(object->decision));
    cell(out, fleet.texts().text(object->why));
    cell(out, object->hasError ? std::to_string(object->error) : std::string(), true);
    out << "</tr>\n";
  }
}

void writePcSection(const Fleet& fleet, const Pc& pc, const std::string& anchor,
                    std::ostream& out) {
  const PcColumns columns = pcColumns(fleet, pc.latest);
  out << "<section class=\"pc\" id=\"" << anchor << "\"><h3>" << stateMark(pc.latest.state)
      << htmlText(columns.computer) << "</h3>\n<p class=\"facts\">" << htmlText(columns.state)
      << ", " << htmlText(columns.time);
  if (!columns.exitCode.empty()) out << ", exit code " << htmlText(columns.exitCode);
  out << "; " << htmlText(pc.latest.file) << "</p>\n";
  if (!columns.failure.empty()) {
    out << "<p class=\"facts\">Failure: " << htmlText(columns.failure) << "</p>\n";
  }
  if (!columns.restartFor.empty()) {
    out << "<p class=\"facts\">Restart owed for: " << htmlText(columns.restartFor) << "</p>\n";
  }
  if (!pc.latest.objects.empty()) {
    std::vector<const PcObject*> objects;
    for (const PcObject& object : pc.latest.objects) objects.push_back(&object);
    out << "<table class=\"objects\">";
    headerRow(out, {"Kind", "Name", "Decision", "Why", "Error"});
    objectRows(fleet, objects, nullptr, out);
    out << "</table>\n";
  }
  if (pc.earliest) {
    const PcChange change = changeOf(*pc.earliest, pc.latest);
    out << "<p class=\"facts\">Before: " << stateLabel(pc.earliest->state) << ", "
        << utcText(pc.earliest->time) << "; " << htmlText(pc.earliest->file) << "</p>\n";
    if (!change.gone.empty() || !change.added.empty()) {
      out << "<table class=\"change\">";
      headerRow(out, {"Since before", "Kind", "Name", "Decision", "Why", "Error"});
      objectRows(fleet, change.gone, "gone", out);
      objectRows(fleet, change.added, "new", out);
      out << "</table>\n";
    }
  }
  out << "</section>\n";
}

void writePcSections(const Fleet& fleet, const Anchors& anchors, std::ostream& out) {
  out << "<section id=\"pcs\"><h2>Each PC's objects</h2>\n";
  std::size_t place = 0;
  bool any = false;
  for (const auto& [key, pc] : fleet.pcs()) {
    const std::string& anchor = anchors.of(place++);
    if (anchor.empty()) continue;
    writePcSection(fleet, pc, anchor, out);
    any = true;
  }
  if (!any) out << "<p>No PC holds anything of the maker.</p>\n";
  out << "</section>\n";
}

void writeUnread(const Fleet& fleet, std::ostream& out) {
  std::vector<const UnreadFile*> files;
  for (const UnreadFile& file : fleet.unreadFiles()) files.push_back(&file);
  std::sort(files.begin(), files.end(),
            [](const UnreadFile* a, const UnreadFile* b) { return a->path < b->path; });
  out << "<section id=\"unread\"><h2>Files not read (" << files.size() << ")</h2>\n";
  if (files.empty()) {
    out << "<p>Every file was read.</p></section>\n";
    return;
  }
  out << "<table class=\"unread\">";
  headerRow(out, {"File", "Reason"});
  for (const UnreadFile* file : files) {
    out << "<tr>";
    cell(out, file->path);
    cell(out, file->reason);
    out << "</tr>\n";
  }
  out << "</table></section>\n";
}

}  // namespace

std::string htmlText(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

void writeReportHtml(const Fleet& fleet, const PageFacts& facts, std::ostream& out) {
  const std::size_t pcs = fleet.pcs().size();
  out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<title>kvcheck results of "
      << pcs << " PCs</title>\n<style>" << kStyle
      << "</style></head>\n<body>\n<h1>kvcheck results of "
      << "<span id=\"pc-count\">" << pcs << "</span> PCs</h1>\n<p class=\"facts\">The latest "
      << "document of each computer, from " << fleet.documentsTaken() << " documents below "
      << htmlText(facts.folders) << "; written " << htmlText(facts.writtenAt) << ".";
  if (fleet.documentsRepeated() > 0) {
    out << " " << fleet.documentsRepeated()
        << " more had a computer and time already read and counted once.";
  }
  if (fleet.since()) {
    out << " Since " << utcText(*fleet.since()) << ": " << fleet.documentsBeforeSince()
        << " older documents left out.";
  }
  out << "</p>\n";
  const Anchors anchors(fleet);
  writeStates(fleet, out);
  writeStays(fleet, out);
  writeChanges(fleet, anchors, out);
  writeStateTables(fleet, anchors, out);
  writePcSections(fleet, anchors, out);
  writeUnread(fleet, out);
  out << "</body></html>\n";
}

}  // namespace kv
