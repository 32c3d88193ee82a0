#include "report/report_csv.h"

#include "report/pc_columns.h"

namespace kv {

std::string csvCell(const std::string& text) {
  std::string cell = text;
  if (!cell.empty() && (cell[0] == '=' || cell[0] == '+' || cell[0] == '-' || cell[0] == '@')) {
    cell.insert(0, 1, '\'');
  }
  if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (const char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

void writeReportCsv(const Fleet& fleet, std::ostream& out) {
  out << "\xEF\xBB\xBF"
      << "Computer,State,Time,Account,Architecture,Windows,kvcheck,Objects,Exit code,"
         "Restart owed for,Failure,State before,Time before,File\r\n";
  for (const auto& [key, pc] : fleet.pcs()) {
    const PcColumns columns = pcColumns(fleet, pc.latest);
    std::string before[2];
    if (pc.earliest) {
      const PcColumns earlier = pcColumns(fleet, *pc.earliest);
      before[0] = earlier.state;
      before[1] = earlier.time;
    }
    for (const std::string* cell : std::initializer_list<const std::string*>{
             &columns.computer, &columns.state, &columns.time, &columns.account,
             &columns.architecture, &columns.windows, &columns.version, &columns.objects,
             &columns.exitCode, &columns.restartFor, &columns.failure, &before[0], &before[1]}) {
      out << csvCell(*cell) << ',';
    }
    out << csvCell(pc.latest.file) << "\r\n";
  }
}

}  // namespace kv
