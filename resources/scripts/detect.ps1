# The detection script for Intune and Configuration Manager: output means "installed", that is
# kvcheck finds nothing of the maker (0) or nothing a clean run would change (113). It always
# exits 0, since either product takes any other exit code for a failed detection.
$arch = $env:PROCESSOR_ARCHITECTURE
if ($env:PROCESSOR_ARCHITEW6432) { $arch = $env:PROCESSOR_ARCHITEW6432 }
# An x64 process emulated on ARM64 may see AMD64 alone; the system's own record tells.
$system = Get-ItemProperty -LiteralPath 'HKLM:\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' -ErrorAction SilentlyContinue
if ($system -and $system.PROCESSOR_ARCHITECTURE -eq 'ARM64') { $arch = 'ARM64' }
if ($arch -eq 'ARM64') {
  # Standard error, not output: the PC counts as not installed, and the line lands in the
  # product's log.
  [Console]::Error.WriteLine('not installed: ARM64 PC, where clean.cmd refuses to run')
  exit 0
}
$kvtool = Join-Path $env:SystemDrive 'Program Files\KVTool'
$kvcheck = Join-Path $kvtool 'kvcheck.exe'
if (-not (Test-Path -LiteralPath $kvcheck)) { exit 0 }
$null = & $kvcheck -F (Join-Path $kvtool 'clean.ini') 2>$null
if ($LASTEXITCODE -eq 0) { 'installed: kvcheck found nothing of the maker' }
elseif ($LASTEXITCODE -eq 113) { 'installed: kvcheck found the maker''s objects, but a clean run would change none' }
exit 0
