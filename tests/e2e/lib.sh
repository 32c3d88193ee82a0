# Helpers for the end-to-end tests: each test gets its own copy of a booted Wine prefix, runs
# the real kvcleaner.exe from C:\kvtool and checks exit code, console, logs and what is left.
# Environment: KV_BUILD (the win64 build directory), KV_WINE_TEMPLATE (a booted prefix).
set -uo pipefail

E2E_FAILURES=0
E2E_WORK=""

# A time text of the logs, as a regular expression.
readonly TIME='[0-9]{2}/[0-9]{2}/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}'

e2e_fail() {
  echo "FAIL: $*" >&2
  E2E_FAILURES=$((E2E_FAILURES + 1))
}

assert_eq() {  # expected actual description
  if [[ "$1" != "$2" ]]; then
    e2e_fail "$3"$'\n'"  expected: $(printf '%q' "$1")"$'\n'"  actual:   $(printf '%q' "$2")"
  fi
}

assert_match() {  # regex actual description
  if [[ ! "$2" =~ $1 ]]; then
    e2e_fail "$3"$'\n'"  pattern: $1"$'\n'"  actual:  $(printf '%q' "$2")"
  fi
}

assert_missing() {  # path description
  if [[ -e "$1" ]]; then e2e_fail "$2: $1 exists"; fi
}

assert_contains() {  # text actual description
  if [[ "$2" != *"$1"* ]]; then
    e2e_fail "$3"$'\n'"  expected to contain: $(printf '%q' "$1")"$'\n'"  actual: $(printf '%q' "$2")"
  fi
}

# Removes whole lines from a text: drop_lines text line...
drop_lines() {
  local text=$1 line
  shift
  for line in "$@"; do
    text=$(grep -vxF -e "$line" <<<"$text")
  done
  echo "$text"
}

# Makes the prefix and installs the program (and the message text file when built) in C:\kvtool.
e2e_setup() {
  E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/kv-e2e.XXXXXX")
  export WINEPREFIX=$E2E_WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  cp -a "$KV_WINE_TEMPLATE" "$WINEPREFIX"
  trap e2e_teardown EXIT
  DRIVE_C=$WINEPREFIX/drive_c
  KV_DIR=$DRIVE_C/kvtool
  LOG_DIR=$DRIVE_C/ProgramData/NOVAX/MXQLOG
  mkdir -p "$KV_DIR"
  cp "$KV_BUILD/src/cleaner/kvcleaner.exe" "$KV_DIR/"
  if [[ -f "$KV_BUILD/src/cleaner/KV_TOOLS_LNG.IRC" ]]; then
    cp "$KV_BUILD/src/cleaner/KV_TOOLS_LNG.IRC" "$KV_DIR/"
  fi
  # Wine's services start detached from our pipes, so that a run's output can be captured.
  (wineserver -p >/dev/null 2>&1 </dev/null &)
  wine cmd /c exit >/dev/null 2>&1 </dev/null
}

e2e_teardown() {
  if [[ -n "$E2E_WORK" ]]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$E2E_WORK"
  fi
}

# A program's captured standard error holds Wine's own start failure: shown on the test's, where
# scripts/ctest-under-wine finds it and gives the test its second run.
show_wine_start_failure() {  # file
  grep -h "ShellExecuteEx failed" "$1" >&2 2>/dev/null || true
}

# Runs kvcleaner.exe with the given arguments; sets RUN_EXIT and RUN_OUT (standard output).
# RUN_THROUGH may name a command (with its arguments) that runs wine, RUN_IN another directory.
RUN_THROUGH=()
run_cleaner() {
  RUN_OUT=$(cd "${RUN_IN:-$KV_DIR}" && "${RUN_THROUGH[@]}" wine 'C:\kvtool\kvcleaner.exe' "$@" \
    2>"$E2E_WORK/stderr" </dev/null)
  RUN_EXIT=$?
  show_wine_start_failure "$E2E_WORK/stderr"
}

# The one detail log in a directory (a Unix path); empty when there is none or several.
detail_log_in() {
  local found=("$1"/*.KVTOOL_CLEANER.log)
  [[ ${#found[@]} -eq 1 && -f "${found[0]}" ]] && echo "${found[0]}"
}

# The computer name as Wine reports it.
computer_name() {
  wine cmd /c 'echo %COMPUTERNAME%' 2>/dev/null </dev/null | tr -d '\r\n'
}

# The detail log without its carriage returns.
detail_text() {
  local detail
  detail=$(detail_log_in "$LOG_DIR")
  [[ -n "$detail" ]] && tr -d '\r' <"$detail"
}

# The lines of the detail log after the line beginning with $1, up to the one beginning with $2.
log_section() {
  detail_text | awk -v from="$1" -v to="$2" \
    'index($0, to) == 1 { inside = 0 } inside { print } index($0, from) == 1 { inside = 1 }'
}

assert_operation_record() {  # failure-count verdict
  assert_match "^Cleaner: $(computer_name), Start:$TIME, End:$TIME, $1, $2\$" \
    "$(tr -d '\r' <"$LOG_DIR/Operation.log")" "operation record"
}

# Runs the named test function and reports the result as CTest reads it.
e2e_main() {
  local name=$1
  if ! declare -F "$name" >/dev/null; then
    echo "no such test: $name" >&2
    exit 2
  fi
  e2e_setup
  "$name"
  if [[ $E2E_FAILURES -gt 0 ]]; then
    echo "$name: $E2E_FAILURES check(s) failed" >&2
    exit 1
  fi
  echo "$name: passed"
}
