@echo off
rem Removes the NOVAX printer leftovers from this PC as SYSTEM (ADMIN-GUIDE.txt, section 8).
rem Keeps what kvcheck saw before and after the run beside the cleaner's logs and copies them to
rem LOGSHARE\<computer>; ends with the cleaner's exit code, or 50 on an ARM64 PC.
rem Set LOGSHARE to your share, or to nothing (set "LOGSHARE=") to keep the results on the PC.
setlocal EnableExtensions
set "LOGSHARE=\\fileserver\kvlogs$"

rem A 32-bit process on 64-bit Windows sees x86 and finds the PC's own architecture in
rem PROCESSOR_ARCHITEW6432; an x64 process emulated on ARM64 may see AMD64 alone, so the system's
rem own record in the registry has the last word.
set "PC_ARCH=%PROCESSOR_ARCHITECTURE%"
if defined PROCESSOR_ARCHITEW6432 set "PC_ARCH=%PROCESSOR_ARCHITEW6432%"
reg query "HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment" /v PROCESSOR_ARCHITECTURE 2>nul | find "ARM64" >nul
if not errorlevel 1 set "PC_ARCH=ARM64"
if /i "%PC_ARCH%"=="ARM64" (
  echo clean.cmd: ARM64 PC: the programs have not been tried on ARM64, so nothing was changed ^(exit code 50^)
  exit /b 50
)
set "ARCH=x86"
if /i "%PC_ARCH%"=="AMD64" set "ARCH=x64"
for %%d in ("%~dp0..\%ARCH%") do set "KV=%%~fd"
set "KVTOOL=%SystemDrive%\Program Files\KVTool"
set "LOCALLOG=%ALLUSERSPROFILE%\NOVAX\MXQLOG"

rem kvcheck for the detection, kvdisconnect for each user's next logon and the models they both
rem read, where only administrators can change them and the same path serves 32- and 64-bit.
if not exist "%KVTOOL%\" mkdir "%KVTOOL%"
for %%f in ("%KV%\kvcheck.exe" "%KV%\kvdisconnect.exe" "%~dp0clean.ini") do (
  copy /y "%%~f" "%KVTOOL%\" >nul 2>&1
  if errorlevel 1 echo clean.cmd: could not copy %%~f to "%KVTOOL%"
)
set "MODELS=%KVTOOL%\clean.ini"
if not exist "%KVTOOL%\kvdisconnect.exe" (
  echo clean.cmd: no kvdisconnect.exe, so users' printer connections stay after their next logon
  goto check_before
)
"%KVTOOL%\kvdisconnect.exe" -R -F "%MODELS%"
set "REGISTERED=%ERRORLEVEL%"
if not "%REGISTERED%"=="0" echo clean.cmd: kvdisconnect.exe -R ended with %REGISTERED%, so users' printer connections stay after their next logon

:check_before

rem The cleaner makes its log folder (writable by administrators only) on its first run, so the
rem check before the run waits in KVTool until that folder is there.
"%KV%\kvcheck.exe" -J -F "%MODELS%" >"%KVTOOL%\kvcheck-before.json" 2>nul
"%KV%\kvcleaner.exe" -C -F "%~dp0clean.ini"
set "RESULT=%ERRORLEVEL%"
"%KV%\kvcheck.exe" -J -F "%MODELS%" >"%KVTOOL%\kvcheck-after.json" 2>nul
set "RESULTS=%KVTOOL%"
if exist "%LOCALLOG%\" (
  move /y "%KVTOOL%\kvcheck-before.json" "%LOCALLOG%\" >nul
  move /y "%KVTOOL%\kvcheck-after.json" "%LOCALLOG%\" >nul
  set "RESULTS=%LOCALLOG%"
)

if not defined LOGSHARE exit /b %RESULT%
set "OUT=%LOGSHARE%\%COMPUTERNAME%"
set "COPIED=yes"
if not exist "%OUT%\" mkdir "%OUT%" >nul 2>&1
copy /y "%RESULTS%\kvcheck-*.json" "%OUT%\" >nul 2>&1
if errorlevel 1 set "COPIED="
if not exist "%LOCALLOG%\*.log" goto copied
copy /y "%LOCALLOG%\*.log" "%OUT%\" >nul 2>&1
if errorlevel 1 set "COPIED="
:copied
if not defined COPIED echo clean.cmd: could not copy the results to "%OUT%"; they stay in "%RESULTS%"
exit /b %RESULT%
