@echo off
rem Registers the mxaRAID component (and its type library) from this folder; run as administrator.
regsvr32 /s "%~dp0mxaRAID.dll"
if errorlevel 1 (
  echo register: regsvr32 failed for "%~dp0mxaRAID.dll" 1>&2
  exit /b 1
)
echo register: mxaRAID registered from %~dp0
