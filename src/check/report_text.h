#pragma once

#include <string>

#include "check/check_report.h"

namespace kv {

// The report as a table a person reads at a glance: a section per kind, a line per object with
// what it is, the decision and why.
std::wstring textReport(const CheckReport& report);

}  // namespace kv
