// The component from JScript: created by its program id and called through IDispatch. JScript
// passes arguments by value only, so it calls the operations that take inputs alone; reading
// values needs a language that passes variables by reference (VBScript). A call that fails throws
// and ends the script before its closing "1 passed, 0 failed" line, which is what
// scripts/wine-tests looks for.
var root = new ActiveXObject("TessaryRAID.SwkvRAID");
root.refresh();
root.invoke("NoSuchAction", "");
WScript.Echo("ok      new ActiveXObject, refresh, and invoke of an unknown action refused quietly");
WScript.Echo("1 passed, 0 failed");
