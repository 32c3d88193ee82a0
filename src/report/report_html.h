#pragma once

#include <ostream>
#include <string>

#include "report/fleet.h"

namespace kv {

// What the page says about how it was made.
struct PageFacts {
  std::string folders;  // the folders read, as given
  std::string writtenAt;
};

// report.html: one page that needs nothing from elsewhere (no script; its style and chart are
// inside), readable at 1366x768 and printed: the PCs per state as a bar chart, what stays across
// the fleet and why, what changed per PC between its earliest and latest document, the PCs per
// state, each PC's objects, and the files not read.
void writeReportHtml(const Fleet& fleet, const PageFacts& facts, std::ostream& out);

// The text with &, <, >, " and ' as character references, for element content and attributes.
std::string htmlText(const std::string& text);

}  // namespace kv
