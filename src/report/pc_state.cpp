#include "report/pc_state.h"

namespace kv {

const char* stateLabel(PcState state) {
  switch (state) {
    case PcState::Clean:
      return "clean";
    case PcState::DoneWhatStays:
      return "done, what stays stays";
    case PcState::StillToClean:
      return "still to clean";
    case PcState::CheckFailed:
      return "check failed";
    case PcState::RestartOwed:
      return "restart owed";
  }
  return "";
}

const char* stateKey(PcState state) {
  switch (state) {
    case PcState::Clean:
      return "clean";
    case PcState::DoneWhatStays:
      return "done";
    case PcState::StillToClean:
      return "todo";
    case PcState::CheckFailed:
      return "failed";
    case PcState::RestartOwed:
      return "restart";
  }
  return "";
}

PcState stateOf(const KvcheckDocument& document) {
  if (document.schema == 1) return document.found ? PcState::StillToClean : PcState::Clean;
  const long long exitCode = document.exitCode.value_or(-1);
  if (!document.failure.empty() || (exitCode != 0 && exitCode != 113 && exitCode != 114)) {
    return PcState::CheckFailed;
  }
  if (document.restartRequired) return PcState::RestartOwed;
  if (exitCode == 0) return PcState::Clean;
  return exitCode == 113 ? PcState::DoneWhatStays : PcState::StillToClean;
}

}  // namespace kv
