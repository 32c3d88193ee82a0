#pragma once

#include <string>

#include "report/fleet.h"

namespace kv {

// The texts of one PC's row, the same in the page's tables and the CSV.
struct PcColumns {
  std::string computer;
  std::string state;
  std::string time;  // a schema 1 document's file time ends in " (file time)"
  std::string account;
  std::string architecture;
  std::string windows;
  std::string version;  // kvcheck's; "schema 1" for a document of that schema
  std::string exitCode;
  std::string objects;  // "queues delete 3, keep 1; drivers delete 2"
  std::string restartFor;
  std::string failure;
};

PcColumns pcColumns(const Fleet& fleet, const PcRecord& record);

// Per list, the number of objects per decision, in the order the document has them.
std::string objectCountsText(const Fleet& fleet, const PcRecord& record);

}  // namespace kv
