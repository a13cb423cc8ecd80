// The component from JScript: created by its program id and called through IDispatch. JScript
// passes arguments by value only, so it calls the operations that take inputs alone; reading
// values needs a language that passes variables by reference (VBScript). Closes with
// "N passed, M failed".
var passed = 0, failed = 0;
function check(ok, what) {
  if (ok) { passed++; WScript.Echo("ok      " + what); }
  else { failed++; WScript.Echo("FAILED  " + what); }
}

try {
  var root = new ActiveXObject("TessaryRAID.SwkvRAID");
  root.refresh();
  root.invoke("NoSuchAction", "");
  check(true, "new ActiveXObject, refresh, and invoke of an unknown action refused quietly");
} catch (e) {
  check(false, e.message);
}
WScript.Echo(passed + " passed, " + failed + " failed");
WScript.Quit(failed > 0 ? 1 : 0);
