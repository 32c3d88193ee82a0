#include "report/state_chart.h"

#include <algorithm>

namespace kv {
namespace {

constexpr int kBarHeight = 22;
constexpr int kRowHeight = 30;
constexpr int kLabelWidth = 190;
constexpr int kLongestBar = 400;

}  // namespace

const char* stateColour(PcState state) {
  switch (state) {
    case PcState::Clean:
      return "#2e7d32";
    case PcState::DoneWhatStays:
      return "#1565c0";
    case PcState::StillToClean:
      return "#e65100";
    case PcState::CheckFailed:
      return "#c62828";
    case PcState::RestartOwed:
      return "#6a1b9a";
  }
  return "#000000";
}

void writeStateChart(const std::array<std::size_t, kPcStateCount>& pcsPerState, std::ostream& out) {
  const std::size_t most =
      std::max<std::size_t>(1, *std::max_element(pcsPerState.begin(), pcsPerState.end()));
  const int height = static_cast<int>(kPcStateCount) * kRowHeight;
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" width=\"680\" height=\""
      << height << "\" viewBox=\"0 0 680 " << height
      << "\" role=\"img\" aria-label=\"PCs per state\">\n";
  for (std::size_t i = 0; i < kPcStateCount; ++i) {
    const auto state = static_cast<PcState>(i);
    const int top = static_cast<int>(i) * kRowHeight + 4;
    const auto count = pcsPerState[i];
    int width =
        static_cast<int>(static_cast<double>(count) * kLongestBar / static_cast<double>(most));
    if (count > 0 && width < 2) width = 2;
    out << "<text x=\"0\" y=\"" << top + 16 << "\">" << stateLabel(state) << "</text>"
        << "<rect x=\"" << kLabelWidth << "\" y=\"" << top << "\" width=\"" << width
        << "\" height=\"" << kBarHeight << "\" fill=\"" << stateColour(state) << "\"/>"
        << "<text x=\"" << kLabelWidth + width + 6 << "\" y=\"" << top + 16 << "\">" << count
        << "</text>\n";
  }
  out << "</svg>\n";
}

}  // namespace kv
