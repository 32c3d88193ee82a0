#pragma once

#include <cstddef>
#include <cstdint>

#include "report/kvcheck_document.h"

namespace kv {

// What a PC's latest document says about it, in the order the page counts them.
enum class PcState : std::uint8_t { Clean, DoneWhatStays, StillToClean, CheckFailed, RestartOwed };
inline constexpr std::size_t kPcStateCount = 5;

// "clean", "done, what stays stays", "still to clean", "check failed", "restart owed".
const char* stateLabel(PcState state);
// A word for the state in anchors and CSS classes: "clean", "done", "todo", "failed", "restart".
const char* stateKey(PcState state);

// A check that could not finish says nothing else for sure; a restart owed comes before what the
// exit code says, since a clean run's uninstaller is not done until then. Schema 1 documents know
// only whether anything of the maker was found.
PcState stateOf(const KvcheckDocument& document);

}  // namespace kv
