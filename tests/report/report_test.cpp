// kvreport: what a document says about its PC, what is kept of a fleet, hostile texts shown as
// text, and every kind of file that is no document named with its reason.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <fstream>
#include <map>
#include <sstream>
#include <variant>

#include "report/document_files.h"
#include "report/fleet.h"
#include "report/report_csv.h"
#include "report/report_html.h"
#include "report/report_options.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

// A schema 2 document of PC01 at 2026-12-08T01:00:00Z with `more` fields after the required ones.
std::string doc(const std::string& more = "", const std::string& time = "2026-12-08T01:00:00Z",
                const std::string& computer = "PC01") {
  return R"({"schema": 2, "program": "kvcheck", "computer": ")" + computer + R"(", "time": ")" +
         time + "\"" + (more.empty() || more[0] == '"' ? ", \"exitCode\": 114" : "") +
         (more.empty() ? "" : ", " + more) + "}";
}

DocumentOrReason read(std::string bytes) { return readKvcheckDocument(bytes); }

KvcheckDocument readOk(const std::string& bytes) {
  DocumentOrReason read = kv::read(bytes);
  if (auto* reason = std::get_if<std::string>(&read)) ADD_FAILURE() << *reason << " in " << bytes;
  return std::holds_alternative<KvcheckDocument>(read) ? std::get<KvcheckDocument>(read)
                                                       : KvcheckDocument{};
}

TEST(ReportDocument, StateOfAPcComesFromItsDocument) {
  const struct {
    std::string bytes;
    const char* state;
  } rows[] = {
      {doc(R"("exitCode": 0)"), "clean"},
      {doc(R"("exitCode": 113)"), "done, what stays stays"},
      {doc(R"("exitCode": 114)"), "still to clean"},
      {doc(R"("x": )" + std::string(15, '[') + std::string(15, ']')), "still to clean"},
      {doc(R"("exitCode": 17, "failure": "Failed to enumerate printers.")"), "check failed"},
      {doc(R"("exitCode": 114, "failure": "x")"), "check failed"},
      {doc(R"("exitCode": 1)"), "check failed"},
      {doc(R"("exitCode": 0, "restartRequired": {"required": true, "products": ["P"]})"),
       "restart owed"},
      {doc(R"("exitCode": 15, "restartRequired": {"required": true})"), "check failed"},
      {doc(R"("exitCode": 113, "restartRequired": {"required": false})"), "done, what stays stays"},
      {R"({"schema": 1, "found": false, "queues": []})", "clean"},
      {R"({"schema": 1, "found": true, "queues": [{"name": "Q", "decision": "delete"}]})",
       "still to clean"},
  };
  for (const auto& row : rows) {
    EXPECT_STREQ(row.state, stateLabel(stateOf(readOk(row.bytes)))) << row.bytes;
  }
}

TEST(ReportDocument, WhatIsNoDocumentGivesItsReason) {
  const struct {
    std::string bytes;
    const char* reason;
  } rows[] = {
      {"", "empty file"},
      {"kvcheck: wrong option", "not JSON (error at byte 1)"},
      {doc().substr(0, 40), "cut off: the JSON ends early"},
      {"[1, 2]", "not a kvcheck document"},
      {std::string(17, '[') + "0" + std::string(17, ']'), "nested deeper than 16 levels"},
      {doc(R"("x": )" + std::string(16, '[') + std::string(16, ']')),
       "nested deeper than 16 levels"},
      {doc([] {
         std::string list = R"("queues": [{})";
         for (int i = 0; i < 1000000; ++i) list += ",{}";
         return list + "]";
       }()),
       "more than 1000000 values"},
      {R"({"computer": "PC01"})", "not a kvcheck document"},
      {R"({"schema": 2, "program": "other", "computer": "PC01"})", "not a kvcheck document"},
      {R"({"schema": 3, "program": "kvcheck"})", "schema 3 is not one kvreport reads"},
      {R"({"schema": "2"})", "field \"schema\" is not a whole number"},
      {R"({"schema": 2, "time": "2026-12-08T01:00:00Z", "exitCode": 0})",
       "field \"computer\" missing or not a text"},
      {doc("", "2026-12-08 01:00:00"), "field \"time\" is not a UTC time (YYYY-MM-DDThh:mm:ssZ)"},
      {doc("", "2026-02-30T01:00:00Z"), "field \"time\" is not a UTC time (YYYY-MM-DDThh:mm:ssZ)"},
      {R"({"schema": 2, "computer": "PC01", "exitCode": 0})",
       "field \"time\" missing or not a text"},
      {doc(R"("exitCode": "0")"), "field \"exitCode\" missing or not a whole number"},
      {R"({"schema": 1, "queues": []})", "field \"found\" missing or not true/false"},
  };
  for (const auto& row : rows) {
    DocumentOrReason result = read(row.bytes);
    ASSERT_TRUE(std::holds_alternative<std::string>(result)) << row.bytes;
    EXPECT_EQ(row.reason, std::get<std::string>(result)) << row.bytes;
  }
}

// An unpaired surrogate would make the JSON library refuse the whole file.
TEST(ReportDocument, NamesAreShownWhateverUnitsTheyHold) {
  const struct {
    const char* escaped;
    const char* shown;
  } rows[] = {
      {R"(NV\ud800)", "NV\xEF\xBF\xBD"},
      {R"(\udc00NV)", "\xEF\xBF\xBDNV"},
      {R"(\ud800\ud800)", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {R"(\ud83d\ude00)", "\xF0\x9F\x98\x80"},
      {R"(\\ud800)", "\\ud800"},
      {R"(a\r\nb\u0001\u007f)", "a\\x0D\\x0Ab\\x01\\x7F"},
      {R"(K\u00f6ln)", "K\xC3\xB6ln"},
  };
  for (const auto& row : rows) {
    const KvcheckDocument document = readOk(
        doc(std::string(R"("queues": [{"name": ")") + row.escaped + R"(", "decision": "keep"}])"));
    ASSERT_EQ(1u, document.objects.size()) << row.escaped;
    EXPECT_EQ(row.shown, document.objects[0].name) << row.escaped;
  }
}

// Documents of (computer, time) in the order read.
struct FleetRow {
  std::vector<std::pair<const char*, const char*>> documents;
  const char* since;
  std::size_t pcs, repeated, beforeSince;
  const char* latest;    // PC01's
  const char* earliest;  // PC01's, "" when it has one time only
};

TEST(ReportFleet, KeepsTheLatestAndEarliestPerComputerAndEachTimeOnce) {
  const char* t1 = "2026-12-01T08:00:00Z";
  const char* t2 = "2026-12-02T08:00:00Z";
  const char* t3 = "2026-12-03T08:00:00Z";
  const FleetRow rows[] = {
      {{{"PC01", t1}}, nullptr, 1, 0, 0, t1, ""},
      {{{"PC01", t1}, {"PC01", t2}}, nullptr, 1, 0, 0, t2, t1},
      {{{"PC01", t2}, {"PC01", t1}}, nullptr, 1, 0, 0, t2, t1},
      {{{"PC01", t2}, {"PC01", t3}, {"PC01", t1}}, nullptr, 1, 0, 0, t3, t1},
      {{{"PC01", t1}, {"PC01", t3}, {"PC01", t2}}, nullptr, 1, 0, 0, t3, t1},
      {{{"PC01", t1}, {"PC01", t2}, {"PC01", t3}}, nullptr, 1, 0, 0, t3, t1},
      {{{"PC01", t1}, {"pc01", t1}, {"PC01", t1}}, nullptr, 1, 2, 0, t1, ""},
      {{{"PC01", t1}, {"PC01", t3}, {"PC01", t2}, {"PC01", t2}}, nullptr, 1, 1, 0, t3, t1},
      {{{"PC01", t1}, {"PC02", t1}}, nullptr, 2, 0, 0, t1, ""},
      {{{"PC01", t1}, {"PC01", t2}, {"PC02", t1}}, "2026-12-02", 1, 0, 2, t2, ""},
      {{{"PC01", t1}, {"PC01", t2}}, "2026-12-02T08:00:01", 0, 0, 2, "", ""},
  };
  for (const FleetRow& row : rows) {
    Fleet fleet(row.since ? parseUtcText(row.since, UtcTextForm::DateOrDateTime) : std::nullopt);
    for (const auto& [computer, time] : row.documents) {
      KvcheckDocument document = readOk(doc("", time, computer));
      fleet.add(document, *document.time, false, "f");
    }
    const std::string rowName = std::to_string(&row - rows);
    EXPECT_EQ(row.pcs, fleet.pcs().size()) << rowName;
    EXPECT_EQ(row.repeated, fleet.documentsRepeated()) << rowName;
    EXPECT_EQ(row.beforeSince, fleet.documentsBeforeSince()) << rowName;
    const auto pc = fleet.pcs().find("PC01");
    if (pc == fleet.pcs().end()) continue;
    EXPECT_EQ(row.latest, utcText(pc->second.latest.time)) << rowName;
    EXPECT_EQ(row.earliest, pc->second.earliest ? utcText(pc->second.earliest->time) : "")
        << rowName;
  }
}

TEST(ReportFleet, ChangeNamesWhatWentStayedAndCame) {
  const struct {
    const char* before;
    const char* after;
    const char* change;  // gone / stayed / added, names joined
  } rows[] = {
      {R"("queues": [{"name": "A"}, {"name": "B"}])", R"("queues": [{"name": "B"}])", "A/B/"},
      {R"("queues": [{"name": "A"}])", R"("ports": [{"name": "A"}])", "A//A"},
      {R"("drivers": [{"name": "D", "decision": "delete"}])",
       R"("unreachedDrivers": [{"name": "D"}], "drivers": [{"name": "D", "decision": "keep"}])",
       "/D/D"},
      {R"("queues": [])", R"("queues": [{"name": "N"}])", "//N"},
      {R"("drivers": [{"name": "N"}])", R"("driverPackages": [{"name": "N"}])", "N//N"},
  };
  for (const auto& row : rows) {
    Fleet fleet;
    for (const auto& [lists, time] : {std::pair{row.before, "2026-12-01T08:00:00Z"},
                                      std::pair{row.after, "2026-12-02T08:00:00Z"}}) {
      KvcheckDocument document = readOk(doc(lists, time));
      fleet.add(document, *document.time, false, "f");
    }
    const Pc& pc = fleet.pcs().at("PC01");
    const PcChange change = changeOf(*pc.earliest, pc.latest);
    std::string names;
    for (const auto* list : {&change.gone, &change.stayed, &change.added}) {
      if (list != &change.gone) names += "/";
      for (const PcObject* object : *list) names += fleet.texts().text(object->name);
    }
    EXPECT_EQ(row.change, names) << row.before << " -> " << row.after;
  }
}

TEST(ReportWriters, NamesFromTheFilesAreShownAsTextNeverRun) {
  const struct {
    const char* name;  // as JSON escapes it
    const char* html;
    const char* csv;
    const char* file = "f";  // the document's path, and its cell ending the row
    const char* fileCsv = "f";
  } rows[] = {
      {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;",
       "<script>alert(1)</script>"},
      {R"(=cmd|' /C calc'!A0)", "=cmd|&#39; /C calc&#39;!A0", "'=cmd|' /C calc'!A0"},
      {"+1", "+1", "'+1"},
      {"-2+3", "-2+3", "'-2+3"},
      {"@SUM(A1)", "@SUM(A1)", "'@SUM(A1)"},
      {R"(a \"b\", c & d)", "a &quot;b&quot;, c &amp; d", R"("a ""b"", c & d")"},
      {"=1,2", "=1,2", R"("'=1,2")"},
      {R"(x\ny)", "x\\x0Ay", "x\\x0Ay"},
      {"Q", "Q", "Q", "a\nb.json", "\"a\nb.json\""},
      {"Q", "Q", "Q", "a\rb.json", "\"a\rb.json\""},
  };
  for (const auto& row : rows) {
    Fleet fleet;
    KvcheckDocument document =
        readOk(doc(std::string(R"("queues": [{"name": "Q", "decision": "keep", "why": ")") +
                       row.name + R"("}])",
                   "2026-12-08T01:00:00Z", row.name));
    fleet.add(document, *document.time, false, row.file);
    std::ostringstream html, csv;
    writeReportHtml(fleet, {"share", "now"}, html);
    writeReportCsv(fleet, csv);
    EXPECT_EQ(std::string::npos, html.str().find("<script")) << row.name;
    EXPECT_NE(std::string::npos, html.str().find(std::string(">") + row.html + "<")) << row.name;
    EXPECT_EQ(0u, csv.str().find("\xEF\xBB\xBF"
                                 "Computer,State,"))
        << row.name;
    EXPECT_NE(std::string::npos, csv.str().find(std::string("\r\n") + row.csv + ",still to clean,"))
        << row.name << "\n"
        << csv.str();
    EXPECT_TRUE(csv.str().ends_with(std::string(",") + row.fileCsv + "\r\n")) << csv.str();
  }
}

// Links and pipes are POSIX here; Wine makes neither the way Windows does.
#ifndef _WIN32
TEST(ReportFiles, WhatCannotBeReadIsNamedWithItsReason) {
  test::TempDir dir;
  const auto write = [&](const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories((dir.path() / name).parent_path());
    std::ofstream(dir.path() / name, std::ios::binary) << bytes;
  };
  write("PC01.json", doc());
  write("share/PC02/kvcheck-after.JSON", "{}");
  write("share/PC02/notes.txt", "not looked at");
  write("huge.json", std::string(kLargestDocumentBytes + 1, ' '));
  write("limit.json", std::string(kLargestDocumentBytes, ' '));
  std::filesystem::create_symlink(dir.path() / "missing", dir.path() / "broken.json");
  std::filesystem::create_directory(dir.path() / "folder.json");
  ASSERT_EQ(0, mkfifo((dir.path() / "pipe.json").c_str(), 0600));
  std::map<std::string, std::string> seen;  // file name -> computer or reason
  std::string bytes;
  forEachJsonFile(
      dir.path(),
      [&](const FoundFile& file) {
        const auto unread = readDocumentBytes(file.path, bytes);
        seen[file.path.filename().string()] =
            unread ? *unread : file.computerByPlace + (file.modified ? " timed" : "");
      },
      [&](const std::filesystem::path& path, const std::string& reason) {
        seen[path.filename().string()] = reason;
      });
  const std::map<std::string, std::string> expected = {
      {"PC01.json", "PC01 timed"},          {"kvcheck-after.JSON", "PC02 timed"},
      {"huge.json", "larger than 10 MB"},   {"limit.json", "limit timed"},
      {"broken.json", "could not be read"}, {"pipe.json", "not a regular file"}};
  EXPECT_EQ(expected, seen);
}
#endif

TEST(ReportOptions, TheCommandLineIsStrict) {
  const struct {
    std::vector<std::filesystem::path> args;
    const char* wrong;  // "" when it is read
    const char* since;
  } rows[] = {
      {{"share"}, "", nullptr},
      {{"a", "b", "-o", "out", "--since", "2026-12-01"}, "", "2026-12-01T00:00:00Z"},
      {{"--since=2026-12-01T08:30Z", "a"}, "", "2026-12-01T08:30:00Z"},
      {{"--", "-o"}, "", nullptr},
      {{}, "no folder given", nullptr},
      {{"-o", "out"}, "no folder given", nullptr},
      {{"a", "-o"}, "-o needs an out-folder", nullptr},
      {{"a", "-o", "x", "-o", "y"}, "-o is given twice", nullptr},
      {{"a", "--since"}, "--since needs a date", nullptr},
      {{"a", "--since", "2026-13-01"},
       "--since: \"2026-13-01\" is not a date or date and time",
       nullptr},
      {{"a", "--since", "yesterday"},
       "--since: \"yesterday\" is not a date or date and time",
       nullptr},
      {{"a", "--since", "2026-12-01T24:00"},
       "--since: \"2026-12-01T24:00\" is not a date or date and time",
       nullptr},
      {{"a", "-x"}, "unknown option -x", nullptr},
      {{"a", "-O", "out"}, "unknown option -O", nullptr},
      {{"a", "-o", ""}, "-o needs an out-folder", nullptr},
      {{"a", "--", ""}, "an empty argument names no folder", nullptr},
  };
  for (const auto& row : rows) {
    ReportOptions options;
    const auto wrong = parseReportCommandLine(row.args, options);
    EXPECT_EQ(row.wrong, wrong.value_or("")) << row.wrong;
    if (row.since) {
      EXPECT_EQ(row.since, options.since ? utcText(*options.since) : "none");
    }
  }
}

}  // namespace
}  // namespace kv
