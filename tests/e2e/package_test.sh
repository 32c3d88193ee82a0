#!/usr/bin/env bash
# The release package: scripts/package signs both programs of both builds with a throwaway
# certificate, writes the sums, and the signed programs still run under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Environment: KV_BUILD (the win32 build), KV_WIN64_BUILD (the win64 build).

test_signed_package_verifies_and_runs() {
  local keys=$E2E_WORK/keys dist=$E2E_WORK/dist unpacked=$E2E_WORK/unpacked
  mkdir -p "$keys" "$unpacked"
  echo "throwaway-$RANDOM" >"$keys/password"
  openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=kvcleaner test signing" \
    -addext extendedKeyUsage=codeSigning -keyout "$keys/key.pem" -out "$keys/cert.pem" \
    -passout "file:$keys/password" 2>/dev/null || e2e_fail "making the certificate"

  # No network here: the time stamp server cannot be reached, so the programs are signed
  # without a time stamp and the script says so.
  local zip code
  zip=$(KV_SIGN_CERT=$keys/cert.pem KV_SIGN_KEY=$keys/key.pem \
    KV_SIGN_KEY_PASSWORD_FILE=$keys/password KV_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/ \
    KV_PACKAGE_TREES="x64=$KV_WIN64_BUILD x86=$KV_BUILD" KV_PACKAGE_DIST=$dist \
    "$(dirname "${BASH_SOURCE[0]}")/../../scripts/package" 2>"$E2E_WORK/package.err")
  code=$?
  assert_eq 0 "$code" "exit code of scripts/package"
  assert_contains "is signed without one" "$(cat "$E2E_WORK/package.err")" "time stamp warning"
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS) || e2e_fail "sum of the zip"
  unzip -q "$zip" -d "$unpacked" || e2e_fail "unzip"
  (cd "$unpacked" && sha256sum --quiet -c SHA256SUMS) || e2e_fail "sums in the zip"
  assert_eq "ADMIN-GUIDE.txt
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

  local program
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
