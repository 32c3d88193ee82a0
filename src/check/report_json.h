#pragma once

#include <string>

#include "check/check_report.h"

namespace kv {

// The report as one JSON document, schema 2: who looked where and when, the models, the exit
// code (and the failure when the check could not finish), the counts per kind and decision, the
// notes, then an array per kind of objects with "name", "decision", "why", their facts, "brand"
// where the brand texts chose and "error" where the check could not tell. ASCII only: every other
// UTF-16 unit is written as its \u escape, so that no code page can change it and every Windows
// name comes through exactly.
std::string jsonReport(const CheckReport& report);

}  // namespace kv
