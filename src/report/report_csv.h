#pragma once

#include <ostream>
#include <string>

#include "report/fleet.h"

namespace kv {

// report.csv: UTF-8 with a byte order mark (so a spreadsheet reads the names as UTF-8), a header
// row, then one row per PC by computer name, RFC 4180 (CRLF, quotes where needed).
void writeReportCsv(const Fleet& fleet, std::ostream& out);

// One cell: a text a spreadsheet would take for a formula (starting with =, +, - or @) gets a
// leading apostrophe; one holding a comma, quote or line end is quoted, its quotes doubled.
std::string csvCell(const std::string& text);

}  // namespace kv
