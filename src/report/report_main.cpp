#include "report/report_main.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>
#include <variant>

#include "report/document_files.h"
#include "report/fleet.h"
#include "report/kvcheck_document.h"
#include "report/report_csv.h"
#include "report/report_html.h"
#include "report/report_options.h"
#include "system/exception_boundary.h"
#include "system/system_services.h"
#include "system/utf8.h"

namespace kv {
namespace fs = std::filesystem;
namespace {

void say(ConsoleStream stream, const std::string& text) {
  SystemServices::current().writeConsole(stream, utf8ToWide(text));
}

void takeFile(const FoundFile& file, Fleet& fleet, std::string& bytes) {
  const std::string path = pathText(file.path);
  if (const auto unread = readDocumentBytes(file.path, bytes)) {
    return fleet.addUnread(path, *unread);
  }
  DocumentOrReason read = readKvcheckDocument(bytes);
  if (const auto* reason = std::get_if<std::string>(&read)) return fleet.addUnread(path, *reason);
  KvcheckDocument& document = std::get<KvcheckDocument>(read);
  if (document.computer.empty()) document.computer = file.computerByPlace;
  const bool timeFromFile = !document.time;
  const std::optional<UtcSeconds> time = timeFromFile ? file.modified : document.time;
  if (!time) return fleet.addUnread(path, "schema 1, and the file's time could not be read");
  fleet.add(document, *time, timeFromFile, path);
}

// Writes one output file whole; false when it could not be created or not every byte reached it.
bool writeOutput(const fs::path& path, const std::function<void(std::ostream&)>& write) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  write(out);
  out.close();
  return !out.fail();
}

std::string nowText() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return utcText(std::chrono::duration_cast<std::chrono::seconds>(now).count());
}

int runReport(const std::vector<fs::path>& args) {
  ReportOptions options;
  if (const auto wrong = parseReportCommandLine(args, options)) {
    say(ConsoleStream::Err, "kvreport: " + *wrong + "\n" + kReportUsage);
    return kReportWrongCommandLine;
  }
  Fleet fleet(options.since);
  std::string bytes;  // one file's at a time, its buffer used again
  PageFacts facts;
  for (const fs::path& folder : options.folders) {
    facts.folders += (facts.folders.empty() ? "" : ", ") + pathText(folder);
    forEachJsonFile(
        folder, [&](const FoundFile& file) { takeFile(file, fleet, bytes); },
        [&](const fs::path& path, const std::string& reason) {
          fleet.addUnread(pathText(path), reason);
        });
  }
  std::string numbers = std::to_string(fleet.unreadFiles().size()) + " files not read";
  if (fleet.since()) {
    numbers += ", " + std::to_string(fleet.documentsBeforeSince()) + " documents before --since";
  }
  if (fleet.pcs().empty()) {
    say(ConsoleStream::Err,
        "kvreport: no kvcheck document read below " + facts.folders + " (" + numbers + ")\n");
    return kReportNoDocument;
  }
  facts.writtenAt = nowText();
  std::error_code error;
  fs::create_directories(options.outFolder, error);
  const fs::path html = options.outFolder / "report.html";
  const fs::path csv = options.outFolder / "report.csv";
  for (const auto& [path, write] :
       {std::pair<fs::path, std::function<void(std::ostream&)>>{
            html, [&](std::ostream& out) { writeReportHtml(fleet, facts, out); }},
        {csv, [&](std::ostream& out) { writeReportCsv(fleet, out); }}}) {
    if (!writeOutput(path, write)) {
      say(ConsoleStream::Err, "kvreport: could not write " + pathText(path) + "\n");
      return kReportNotWritten;
    }
  }
  say(ConsoleStream::Out, "kvreport: " + std::to_string(fleet.pcs().size()) + " PCs from " +
                              std::to_string(fleet.documentsTaken()) + " documents, " + numbers +
                              "; wrote " + pathText(html) + " and " + pathText(csv) + "\n");
  return kReportWritten;
}

}  // namespace

int reportMain(const std::vector<fs::path>& args) {
  return callWithoutRaising(
      kReportNotWritten, [&] { return runReport(args); },
      [] { say(ConsoleStream::Err, "kvreport: out of memory; no report written\n"); });
}

}  // namespace kv
