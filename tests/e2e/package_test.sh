#!/usr/bin/env bash
# The release package: scripts/package strips the programs of both builds into a zip with their
# debug information in a second one, signs them and detect.ps1 with a throwaway certificate,
# writes the sums, and the signed programs still run under Wine. Signing fails on a time stamp
# server that does not answer, unless allowed to sign without one.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
readonly PACKAGE=$(dirname "${BASH_SOURCE[0]}")/../../scripts/package
readonly OBJDUMP=x86_64-w64-mingw32-objdump OBJCOPY=x86_64-w64-mingw32-objcopy

# Environment: KV_BUILD (the win32 build), KV_WIN64_BUILD (the win64 build).

# The PE checksum as Windows' MapFileAndCheckSum computes it (16-bit words, the field counted as
# zero, the last byte of an odd-sized file as a word, carries folded, plus the length), then the
# field's value: two equal numbers for a right checksum.
pe_checksums() {  # file
  python3 -c '
import struct, sys
image = open(sys.argv[1], "rb").read()
field = struct.unpack_from("<I", image, 0x3C)[0] + 88
total = sum(w for (w,) in struct.iter_unpack("<H", image[: len(image) & ~1]))
total -= sum(struct.unpack_from("<HH", image, field))
total += image[-1] if len(image) % 2 else 0
while total > 0xFFFF:
    total = (total & 0xFFFF) + (total >> 16)
print((total + len(image)) & 0xFFFFFFFF, struct.unpack_from("<I", image, field)[0])' "$1"
}

# The file name and CRC-32 that a program's .gnu_debuglink names, and those of its debug file.
debug_link_and_file() {  # program debug-file
  "$OBJCOPY" --dump-section .gnu_debuglink="$E2E_WORK/link" "$1" "$E2E_WORK/scratch.exe" ||
    return 1
  python3 -c '
import struct, sys, zlib
link = open(sys.argv[1], "rb").read()
print(link.split(b"\0")[0].decode(), struct.unpack("<I", link[-4:])[0])
print(sys.argv[3].rsplit("/", 1)[-1], zlib.crc32(open(sys.argv[3], "rb").read()))' \
    "$E2E_WORK/link" "$1" "$2"
}

test_signed_package_verifies_and_runs() {
  local keys=$E2E_WORK/keys dist=$E2E_WORK/dist unpacked=$E2E_WORK/unpacked
  mkdir -p "$keys" "$unpacked"
  echo "throwaway-$RANDOM" >"$keys/password"
  openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=kvcleaner test signing" \
    -addext extendedKeyUsage=codeSigning -keyout "$keys/key.pem" -out "$keys/cert.pem" \
    -passout "file:$keys/password" 2>/dev/null || e2e_fail "making the certificate"
  local signing=(KV_SIGN_CERT="$keys/cert.pem" KV_SIGN_KEY="$keys/key.pem"
    KV_SIGN_KEY_PASSWORD_FILE="$keys/password" KV_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/
    KV_PACKAGE_TREES="x64=$KV_WIN64_BUILD x86=$KV_BUILD" KV_PACKAGE_DIST="$dist")

  # Unsigned: the programs are stripped, linked to their debug files, and their checksums are
  # right (signing sets them anew).
  local plain=$E2E_WORK/plain zip program debug link sums
  zip=$(KV_PACKAGE_TREES="x64=$KV_WIN64_BUILD x86=$KV_BUILD" KV_PACKAGE_DIST=$plain "$PACKAGE" \
    2>"$E2E_WORK/package.err")
  assert_eq 0 "$?" "exit code of scripts/package, unsigned"
  assert_eq "" "$(cat "$E2E_WORK/package.err")" "what scripts/package says, unsigned"
  unzip -q "$zip" -d "$plain/zip" && unzip -q "${zip%.zip}-debug.zip" -d "$plain/debug" ||
    e2e_fail "unzip the unsigned zips"
  for program in "$plain"/zip/x64/*.exe "$plain"/zip/x86/*.exe; do
    debug=$plain/debug/${program#"$plain"/zip/}.debug
    assert_eq "" "$("$OBJDUMP" -h "$program" | grep -o '\.debug_[a-z]*' | sort -u)" \
      "debug sections in $program"
    assert_contains ".debug_info" "$("$OBJDUMP" -h "$debug")" "debug sections of $debug"
    link=$(debug_link_and_file "$program" "$debug") || e2e_fail "no debug link in $program"
    assert_eq "$(sed -n 2p <<<"$link")" "$(sed -n 1p <<<"$link")" "debug link of $program"
    sums=$(pe_checksums "$program")
    assert_eq "${sums% *}" "${sums#* }" "PE checksum of $program"
  done

  # Nothing listens on the closed port: no time stamp, so no package.
  env "${signing[@]}" "$PACKAGE" >/dev/null 2>"$E2E_WORK/package.err"
  assert_eq 1 "$?" "exit code of scripts/package without a time stamp"
  assert_contains "package: signing kvcleaner.exe with a time stamp from http://127.0.0.1:9/ failed; a signature without one ends with the certificate (KV_SIGN_ALLOW_NO_TIMESTAMP=1 signs without)" \
    "$(cat "$E2E_WORK/package.err")" "the refusal"
  assert_missing "$dist" "a package without time stamps"

  # Allowed to: each signed file says so, and nothing else is shown.
  local code
  zip=$(env "${signing[@]}" KV_SIGN_ALLOW_NO_TIMESTAMP=1 "$PACKAGE" 2>"$E2E_WORK/package.err")
  code=$?
  assert_eq 0 "$code" "exit code of scripts/package"
  local file warnings=""
  for file in kvcleaner.exe kvcheck.exe kvcleaner.exe kvcheck.exe detect.ps1; do
    warnings+="warning: no time stamp from http://127.0.0.1:9/; $file is signed without one"$'\n'
  done
  assert_eq "${warnings%$'\n'}" "$(grep -v '^warning: no time stamp.*kvdisconnect' "$E2E_WORK/package.err")" \
    "what scripts/package says"
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS) || e2e_fail "sums of the zips"
  unzip -q "$zip" -d "$unpacked" || e2e_fail "unzip"
  (cd "$unpacked" && sha256sum --quiet -c SHA256SUMS) || e2e_fail "sums in the zip"
  assert_eq "ADMIN-GUIDE.txt
scripts/clean.cmd
scripts/clean.ini
scripts/detect.cmd
scripts/detect.ps1
scripts/disconnect.cmd
x64/KV_TOOLS_LNG.IRC
x64/kvcheck.exe
x64/kvcleaner.exe
x86/KV_TOOLS_LNG.IRC
x86/kvcheck.exe
x86/kvcleaner.exe" "$(cut -c67- "$unpacked/SHA256SUMS" | grep -v kvdisconnect)" "files summed"
  assert_eq "$(tr -d '\r' <"$unpacked/scripts/clean.cmd")" \
    "$(cat "$(dirname "${BASH_SOURCE[0]}")/../../resources/scripts/clean.cmd")" "clean.cmd"
  assert_eq 0 "$(grep -vc $'\r$' "$unpacked/scripts/clean.cmd")" "clean.cmd lines without CRLF"
  osslsigncode verify -CAfile "$keys/cert.pem" -in "$unpacked/scripts/detect.ps1" >/dev/null 2>&1 ||
    e2e_fail "signature of detect.ps1"

  for program in "$unpacked"/x64/*.exe "$unpacked"/x86/*.exe; do
    osslsigncode verify -CAfile "$keys/cert.pem" -in "$program" >/dev/null 2>&1 ||
      e2e_fail "signature of $program"
  done
  # A changed byte breaks the signature: the verification above is not a formality.
  cp "$unpacked/x64/kvcleaner.exe" "$E2E_WORK/tampered.exe"
  printf 'X' | dd of="$E2E_WORK/tampered.exe" bs=1 seek=1024 conv=notrunc status=none
  osslsigncode verify -CAfile "$keys/cert.pem" -in "$E2E_WORK/tampered.exe" >/dev/null 2>&1 &&
    e2e_fail "a changed program still verifies"

  local arch
  for arch in x64 x86; do
    cp "$unpacked/$arch/"* "$KV_DIR/"
    rm -rf "$LOG_DIR"
    run_cleaner -T
    assert_eq 0 "$RUN_EXIT" "exit code of the signed $arch program's -T"
    assert_operation_record 0 OK
    (cd "$KV_DIR" && wine 'C:\kvtool\kvcheck.exe' >/dev/null 2>&1 </dev/null)
    assert_eq 0 "$?" "exit code of the signed $arch check on a machine without the maker"
  done
}

e2e_main "$@"
