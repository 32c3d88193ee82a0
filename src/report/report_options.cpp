#include "report/report_options.h"

#include "system/utf8.h"

namespace kv {

const char* const kReportUsage =
    "Usage: kvreport <folder>... [-o out-folder] [--since date]\n"
    "  Reads every *.json below the folders as a kvcheck -J document and writes report.html\n"
    "  and report.csv into out-folder (default: the current folder; created when missing).\n"
    "  --since date  only documents whose time is at or after date (UTC): YYYY-MM-DD,\n"
    "                YYYY-MM-DDThh:mm or YYYY-MM-DDThh:mm:ss, optionally ending in Z\n"
    "Exit codes: 0 written, 1 wrong command line, 2 no document read, 3 output not written.\n";

std::string pathText(const std::filesystem::path& path) {
#ifdef _WIN32
  return wideToUtf8(path.native());
#else
  return wideToUtf8(utf8ToWide(path.native()));
#endif
}

std::optional<std::string> parseReportCommandLine(const std::vector<std::filesystem::path>& args,
                                                  ReportOptions& options) {
  bool outGiven = false;
  bool sinceGiven = false;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string arg = pathText(args[i]);
    // An empty argument is most often a variable that was never set: no folder to read.
    if (arg.empty()) return "an empty argument names no folder";
    if (optionsEnded || arg[0] != '-' || arg == "-") {
      options.folders.push_back(args[i]);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-o") {
      if (outGiven) return "-o is given twice";
      if (i + 1 == args.size() || args[i + 1].empty()) return "-o needs an out-folder";
      options.outFolder = args[++i];
      outGiven = true;
    } else if (arg == "--since" || arg.rfind("--since=", 0) == 0) {
      if (sinceGiven) return "--since is given twice";
      std::string value;
      if (arg == "--since") {
        if (i + 1 == args.size()) return "--since needs a date";
        value = pathText(args[++i]);
      } else {
        value = arg.substr(8);
      }
      options.since = parseUtcText(value, UtcTextForm::DateOrDateTime);
      if (!options.since) return "--since: \"" + value + "\" is not a date or date and time";
      sinceGiven = true;
    } else {
      return "unknown option " + arg;
    }
  }
  if (options.folders.empty()) return "no folder given";
  return std::nullopt;
}

}  // namespace kv
