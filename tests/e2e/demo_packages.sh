# The installer packages of the demo machine: the maker's (Manufacturer "NOVAX") and other
# publishers', built with wixl from tests/products/wine/discovery_package.wxs in C:\kvpkg of the
# prefix and installed with Wine's msiexec. Sourced after demo_machine.sh by the product tests
# and by scripts/demo.
#
# Run as a script, it prepares the machine with packages once for a whole test run, from the
# demo machine that demo_machine.sh prepared:  bash demo_packages.sh <demo machine> <prefix>

# file|code|architecture|publisher|product name, in the order the installer service lists them
# (that of the packed codes; one repeated digit leads each code, so the table's order). The
# brackets name drivers of the demo machine (DEMO_QUEUES): of the maker, of another maker
# ("Acme Laser 5"), in other letter case ("ZUL Z1 COLOR"); x86 is a 32-bit package, whose
# uninstall entry lies in the registry's 32-bit view.
readonly DEMO_PACKAGES=(
  'qz100_tools.msi|{11111111-7E4F-4A51-9C2D-0E1F2A3B4C01}|x64|NOVAX|NOVAX QZ-100 Tools [Novax QZ-100]'
  'pravik_p5.msi|{22222222-7E4F-4A51-9C2D-0E1F2A3B4C02}|x86|NOVAX|Pravik P5 Driver Package [Pravik P5]'
  'acme_bridge.msi|{33333333-7E4F-4A51-9C2D-0E1F2A3B4C03}|x64|NOVAX|NOVAX Bridge for Acme [Acme Laser 5]'
  'pravik_scan.msi|{44444444-7E4F-4A51-9C2D-0E1F2A3B4C04}|x64|NOVAX|NOVAX [Pravik P5] Scan Utility'
  'zul_toolbox.msi|{55555555-7E4F-4A51-9C2D-0E1F2A3B4C05}|x64|NOVAX|Zul Z1 Toolbox [ZUL Z1 COLOR]'
  'pravik_plus.msi|{66666666-7E4F-4A51-9C2D-0E1F2A3B4C06}|x86|NOVAX|Pravik P5 Plus Driver Package [Pravik P5 Plus]'
  'acme_suite.msi|{77777777-7E4F-4A51-9C2D-0E1F2A3B4C07}|x64|Acme|Acme Laser Suite [Acme Laser 5]'
  'qz200_scan.msi|{88888888-7E4F-4A51-9C2D-0E1F2A3B4C08}|x64|novax|Novax QZ-200 Scan [NOVAX qz-200]'
)

demo_package_source() {
  echo "$(cd "$(dirname "${BASH_SOURCE[0]}")/../products/wine" && pwd)/discovery_package.wxs"
}

# Builds every package into C:\kvpkg of the current WINEPREFIX and installs it there (its
# server running).
demo_packages_install() {
  local source row file code arch publisher name
  source=$(demo_package_source)
  mkdir -p "$WINEPREFIX/drive_c/kvpkg"
  for row in "${DEMO_PACKAGES[@]}"; do
    IFS='|' read -r file code arch publisher name <<<"$row"
    wixl -a "$arch" -D "ProductCode=$code" -D "ProductName=$name" -D "Manufacturer=$publisher" \
      -o "$WINEPREFIX/drive_c/kvpkg/$file" "$source" || return 1
    wine msiexec /i "C:\\kvpkg\\$file" /qn </dev/null || return 1
  done
}

# The installed products as kvsetup lists them: code, name, publisher, uninstall command of the
# 64-bit and of the 32-bit registry view ("-" where that view has no entry).
demo_products_listing() {
  kvsetup list products
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  set -uo pipefail
  source "$(dirname "${BASH_SOURCE[0]}")/demo_machine.sh"
  demo_machine_prepare "${1:?usage: demo_packages.sh <demo machine> <prefix>}" \
    "${2:?usage: demo_packages.sh <demo machine> <prefix>}" demo_packages_install
fi
