@echo off
rem Whether this PC counts as cleaned ("installed"): exit 0 when kvcheck finds nothing of the maker
rem (0) or nothing a clean run would change (113), else exit 1; one line says which and why.
setlocal EnableExtensions
set "PC_ARCH=%PROCESSOR_ARCHITECTURE%"
if defined PROCESSOR_ARCHITEW6432 set "PC_ARCH=%PROCESSOR_ARCHITEW6432%"
reg query "HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment" /v PROCESSOR_ARCHITECTURE 2>nul | find "ARM64" >nul
if not errorlevel 1 set "PC_ARCH=ARM64"
if /i "%PC_ARCH%"=="ARM64" (
  echo not installed: ARM64 PC, where clean.cmd refuses to run
  exit /b 1
)
set "KVTOOL=%SystemDrive%\Program Files\KVTool"
if not exist "%KVTOOL%\kvcheck.exe" (
  echo not installed: clean.cmd has not run here ^(no "%KVTOOL%\kvcheck.exe"^)
  exit /b 1
)
"%KVTOOL%\kvcheck.exe" -F "%KVTOOL%\clean.ini" >nul 2>&1
set "FOUND=%ERRORLEVEL%"
if "%FOUND%"=="0" (
  echo installed: kvcheck found nothing of the maker
  exit /b 0
)
if "%FOUND%"=="113" (
  echo installed: kvcheck found the maker's objects, but a clean run would change none
  exit /b 0
)
if "%FOUND%"=="114" (
  echo not installed: kvcheck says a clean run would still change something
  exit /b 1
)
echo not installed: kvcheck failed with exit code %FOUND%
exit /b 1
