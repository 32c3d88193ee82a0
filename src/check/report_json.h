#pragma once

#include <string>

#include "check/check_report.h"

namespace kv {

// The report as one JSON document: "schema": 1, "models", "found", then an array per kind of
// objects with "name", "decision", "why", their facts and, where the brand texts chose, "brand".
// Only ASCII: every other character is written as \u escapes, so that no code page of the
// console can change it.
std::string jsonReport(const CheckReport& report);

}  // namespace kv
