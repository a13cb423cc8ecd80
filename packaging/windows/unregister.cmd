@echo off
rem Removes the mxaRAID component's registration; run as administrator.
regsvr32 /s /u "%~dp0mxaRAID.dll"
if errorlevel 1 (
  echo unregister: regsvr32 /u failed for "%~dp0mxaRAID.dll" 1>&2
  exit /b 1
)
echo unregister: mxaRAID unregistered
