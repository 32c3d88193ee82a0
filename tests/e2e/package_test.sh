#!/usr/bin/env bash
# The release package: scripts/package strips the programs of both builds into a zip with their
# debug information in a second one, signs them and detect.ps1 with a throwaway certificate,
# writes the sums, and the signed programs still run under Wine. Signing fails on a time stamp
# server that does not answer, unless allowed to sign without one.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
readonly PACKAGE=$(dirname "${BASH_SOURCE[0]}")/../../scripts/package
readonly OBJDUMP=x86_64-w64-mingw32-objdump OBJCOPY=x86_64-w64-mingw32-objcopy

# Environment: KV_BUILD (the win32 build), KV_WIN64_BUILD (the win64 build).

# For each program of an unpacked zip: the PE checksum as Windows' MapFileAndCheckSum computes it
# (16-bit words, the field as zero, an odd size's last byte as a word, carries folded, plus the
# length) and the field's; the file and CRC-32 its .gnu_debuglink names and those of its debug file.
checksums_and_debug_links() {  # zip-folder debug-folder
  local program
  for program in "$1"/x*/*.exe; do
    "$OBJCOPY" --dump-section .gnu_debuglink="$E2E_WORK/link" "$program" "$E2E_WORK/scratch.exe"
    python3 -c '
import struct, sys, zlib
image, link = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
field = struct.unpack_from("<I", image, 0x3C)[0] + 88
total = sum(w for (w,) in struct.iter_unpack("<H", image[: len(image) & ~1])) - sum(struct.unpack_from("<HH", image, field))
total += image[-1] if len(image) % 2 else 0
while total > 0xFFFF:
    total = (total & 0xFFFF) + (total >> 16)
print((total + len(image)) & 0xFFFFFFFF, struct.unpack_from("<I", image, field)[0], link.split(b"\0")[0].decode(),
      struct.unpack("<I", link[-4:])[0], sys.argv[3].rsplit("/", 1)[-1], zlib.crc32(open(sys.argv[3], "rb").read()))' \
      "$program" "$E2E_WORK/link" "$2/${program#"$1"/}.debug" || echo "$program: none"
  done
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

  # Unsigned: the programs are stripped, linked to their debug files, their checksums right.
  local plain=$E2E_WORK/plain said zip program
  said=$(KV_PACKAGE_TREES="x64=$KV_WIN64_BUILD x86=$KV_BUILD" KV_PACKAGE_DIST=$plain "$PACKAGE" 2>&1 >/dev/null)
  assert_eq "0 " "$? $said" "exit code and messages of scripts/package, unsigned"
  unzip -q "$plain"/*[0-9].zip -d "$plain/zip" && unzip -q "$plain"/*-debug.zip -d "$plain/debug"
  assert_eq "" "$("$OBJDUMP" -h "$plain"/zip/x*/*.exe | grep -o '\.debug_[a-z]*' | sort -u)" "debug sections"
  assert_eq "$(ls "$plain"/zip/x*/*.exe | wc -l)" "$("$OBJDUMP" -h "$plain"/debug/x*/* | grep -c ' \.debug_info ')" "debug files"
  assert_eq "" "$(checksums_and_debug_links "$plain/zip" "$plain/debug" |
    awk '$1 != $2 || $3 != $5 || $4 != $6')" "checksums and debug links"

  # Nothing listens on the closed port: no time stamp, so no package.
  env "${signing[@]}" "$PACKAGE" >/dev/null 2>"$E2E_WORK/package.err"
  assert_eq 1 "$?" "exit code of scripts/package without a time stamp"
  assert_contains "package: signing kvcleaner.exe with a time stamp from http://127.0.0.1:9/ failed; a signature without one ends with the certificate (KV_SIGN_ALLOW_NO_TIMESTAMP=1 signs without)" \
    "$(cat "$E2E_WORK/package.err")" "the refusal"
  assert_missing "$dist" "a package without time stamps"

  # Allowed to: each signed file says so, and nothing else is shown.
  zip=$(env "${signing[@]}" KV_SIGN_ALLOW_NO_TIMESTAMP=1 "$PACKAGE" 2>"$E2E_WORK/package.err")
  assert_eq 0 "$?" "exit code of scripts/package"
  assert_eq "kvcleaner.exe kvcheck.exe kvdisconnect.exe kvreport.exe kvcleaner.exe kvcheck.exe \
kvdisconnect.exe kvreport.exe detect.ps1 0" "$(sed -n \
    's|^warning: no time stamp from http://127.0.0.1:9/; \(.*\) is signed without one$|\1|p' \
    "$E2E_WORK/package.err" | paste -sd' ') $(grep -vc '^warning' "$E2E_WORK/package.err")" "warnings"
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
x64/kvdisconnect.exe
x64/kvreport.exe
x86/KV_TOOLS_LNG.IRC
x86/kvcheck.exe
x86/kvcleaner.exe
x86/kvdisconnect.exe
x86/kvreport.exe" "$(cut -c67- "$unpacked/SHA256SUMS")" "files summed"
  sed 's/$/\r/' "$(dirname "${BASH_SOURCE[0]}")/../../resources/scripts/clean.cmd" |
    cmp - "$unpacked/scripts/clean.cmd" || e2e_fail "clean.cmd with CRLF"
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
    (cd "$KV_DIR" && wine 'C:\kvtool\kvdisconnect.exe' -T >/dev/null 2>&1 </dev/null)
    assert_eq 0 "$?" "exit code of the signed $arch kvdisconnect -T without connections"
  done
}

e2e_main "$@"
