#!/usr/bin/env bash
# The all-users folder under Wine: the folders the cleaner makes there and links planted in them.
# Wine 8 makes no junction or symbolic link of its own (docs/testing.md), so a Unix symbolic link
# in drive_c stands in: Wine reports one that leads to a folder as a reparse point, and one that
# leads to a file as a plain file.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly NOVAX='C:\ProgramData\NOVAX'
readonly RECORD_RE='^Cleaner: .*, 0, OK$'

# The Warn and Error lines on the console, the detail log's time stamp as <stamp>.
console_problems() {
  tr -d '\r' <<<"$RUN_OUT" | grep -E '^(Warn|Error): ' |
    sed -E 's/_[0-9]{8}_[0-9]{6}\.KVTOOL_CLEANER/_<stamp>.KVTOOL_CLEANER/'
}

# Every file below a folder with its content, one "path: content" line each.
files_in() {
  (cd "$1" && find . -type f | sort | while read -r f; do echo "$f: $(cat "$f")"; done)
}

# The run's last console line, the operation record when that log fell back to the console.
last_console_line() { tr -d '\r' <<<"$RUN_OUT" | tail -n 1; }

test_made_folders_are_writable_by_administrators_only() {
  run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code of -T"
  # Wine keeps no security descriptor on disk: it turns the protected DACL into the Unix mode
  # (a folder made with default security gets 755).
  assert_eq "750 750" "$(stat -c %a "$DRIVE_C/ProgramData/NOVAX" "$LOG_DIR" | xargs)" \
    "modes of NOVAX and MXQLOG"
  assert_match "$RECORD_RE" "$(tr -d '\r' <"$LOG_DIR/Operation.log")" "operation record"
}

test_novax_link_is_neither_written_nor_deleted_through() {
  mkdir -p "$DRIVE_C/elsewhere/MXQLOG"
  echo planted >"$DRIVE_C/elsewhere/MXQLOG/Operation.log"
  echo planted >"$DRIVE_C/elsewhere/KVXCLEAN.ini"
  ln -s ../elsewhere "$DRIVE_C/ProgramData/NOVAX"
  local before
  before=$(files_in "$DRIVE_C/elsewhere")
  run_cleaner -T
  assert_eq 0 "$RUN_EXIT" "exit code of -T"
  assert_eq "Warn: Failed to open operation log file $NOVAX\\MXQLOG\\Operation.log
Warn: Failed to open log file $NOVAX\\MXQLOG\\$(computer_name)_<stamp>.KVTOOL_CLEANER.log
Error: Refused to write through a link: $NOVAX
Error: Refused to write through a link: $NOVAX
Error: Create File : $NOVAX\\KVXCLEAN.ini
Error: Refused to delete through a link: $NOVAX" "$(console_problems)" "console"
  assert_match "$RECORD_RE" "$(last_console_line)" "operation record on the console"
  assert_eq "$before" "$(files_in "$DRIVE_C/elsewhere")" "what the link leads to"
}

# A Unix link to a file reads as a plain file under Wine (no reparse point attribute, followed
# even with FILE_FLAG_OPEN_REPARSE_POINT). So here the run writes through both links and then
# puts the bytes of the settings file's target back, as for any settings file that was there; on
# Windows the same links are refused (the unit tests' stand-in shows how).
test_file_links_are_followed_under_wine() {
  mkdir -p "$DRIVE_C/elsewhere" "$LOG_DIR"
  echo planted >"$DRIVE_C/elsewhere/operation.txt"
  echo planted >"$DRIVE_C/elsewhere/settings.txt"
  ln -s ../../../elsewhere/operation.txt "$LOG_DIR/Operation.log"
  ln -s ../../elsewhere/settings.txt "$DRIVE_C/ProgramData/NOVAX/KVXCLEAN.ini"
  run_cleaner -T -L debug
  assert_eq 0 "$RUN_EXIT" "exit code of -T"
  assert_eq "" "$RUN_OUT" "console"
  assert_match "$RECORD_RE" "$(tr -d '\r' <"$DRIVE_C/elsewhere/operation.txt")" \
    "operation record written through the link"
  local detail
  detail=$(detail_log_in "$LOG_DIR")
  assert_eq "Debug: Create File : $NOVAX\\KVXCLEAN.ini
Debug: Restore File : $NOVAX\\KVXCLEAN.ini" "$(tr -d '\r' <"$detail" | grep ' File : ')" \
    "settings file lines"
  assert_eq planted "$(cat "$DRIVE_C/elsewhere/settings.txt")" "the settings link's target"
  assert_eq "../../elsewhere/settings.txt" "$(readlink "$DRIVE_C/ProgramData/NOVAX/KVXCLEAN.ini")" \
    "the settings link, left behind"
}

# A hard link is another name of the file it was made from, wherever that lies: Wine reports one
# made by ln with nNumberOfLinks 2, as Windows does one made by CreateHardLinkW.
test_hard_link_is_neither_written_nor_deleted_through() {
  mkdir -p "$DRIVE_C/elsewhere" "$DRIVE_C/ProgramData/NOVAX"
  echo planted >"$DRIVE_C/elsewhere/settings.txt"
  ln "$DRIVE_C/elsewhere/settings.txt" "$DRIVE_C/ProgramData/NOVAX/KVXCLEAN.ini"
  run_cleaner -T
  assert_eq "Error: Refused to write through a link: $NOVAX\\KVXCLEAN.ini
Error: Create File : $NOVAX\\KVXCLEAN.ini
Error: Refused to delete through a link: $NOVAX\\KVXCLEAN.ini" "$(detail_text | grep '^Error: ')" \
    "detail log"
  assert_eq planted "$(cat "$DRIVE_C/elsewhere/settings.txt")" "the target"
}

e2e_main "$@"
