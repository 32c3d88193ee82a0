#pragma once

#include <array>
#include <cstddef>
#include <ostream>

#include "report/pc_state.h"

namespace kv {

// The number of PCs per state as an inline SVG bar chart, one labelled bar per state.
void writeStateChart(const std::array<std::size_t, kPcStateCount>& pcsPerState, std::ostream& out);

// The colour of a state's bar and mark on the page.
const char* stateColour(PcState state);

}  // namespace kv
