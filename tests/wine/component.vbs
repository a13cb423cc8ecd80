' The component from a script, as an administrator drives it: created by its program id, a
' controller found with cd, properties read with get into a buffer and a settings action invoked
' (scripts/wine-tests reads back the registry value it wrote; what the client program checks
' through the virtual tables and IDispatch is not checked again here). Prints its check and a
' closing "1 passed, 0 failed" line, which a failure ends the script before; run with cscript
' after the component was registered.
Option Explicit

' get copies the value into the buffer the caller passes; the text ends at the first NUL.
Function Value(node, name)
  Dim buffer, ends
  buffer = Space(256)
  node.get name, buffer
  ends = InStr(buffer, Chr(0))
  If ends > 0 Then Value = Left(buffer, ends - 1) Else Value = "<no such entry>"
End Function

Dim root, hba1
Set root = CreateObject("TessaryRAID.SwkvRAID")
' CreateObject of the version-independent program id, and cd into a script variable: a failure
' stops the script before its closing line.
root.cd "HBA1", hba1

' A settings action that reaches the controller only through the driver's registry parameters.
hba1.invoke "SetCachePolicy", "1"
If Value(hba1, "GetCachePolicy") <> "1" Then
  WScript.Echo "FAILED  GetCachePolicy after SetCachePolicy 1 is " & Value(hba1, "GetCachePolicy")
  WScript.Quit 1
End If
WScript.Echo "ok      GetCachePolicy after SetCachePolicy 1"
WScript.Echo "1 passed, 0 failed"
