@echo off
rem Removes the signed-in user's own network printer connections of the maker: the app that
rem runs as the user (ADMIN-GUIDE.txt, section 8). No administrator rights needed. Ends with
rem kvdisconnect's exit code, or 50 on an ARM64 PC.
setlocal EnableExtensions
set "PC_ARCH=%PROCESSOR_ARCHITECTURE%"
if defined PROCESSOR_ARCHITEW6432 set "PC_ARCH=%PROCESSOR_ARCHITEW6432%"
reg query "HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment" /v PROCESSOR_ARCHITECTURE 2>nul | find "ARM64" >nul
if not errorlevel 1 set "PC_ARCH=ARM64"
if /i "%PC_ARCH%"=="ARM64" (
  echo disconnect.cmd: ARM64 PC: the programs have not been tried on ARM64, so nothing was changed ^(exit code 50^)
  exit /b 50
)
set "ARCH=x86"
if /i "%PC_ARCH%"=="AMD64" set "ARCH=x64"
"%~dp0..\%ARCH%\kvdisconnect.exe" -C -F "%~dp0clean.ini"
exit /b %ERRORLEVEL%
