// The component from JScript: created by its program id and called through IDispatch. JScript
// passes arguments by value only, so it calls the operations that take inputs alone; reading
// values needs a language that passes variables by reference (VBScript). Closes with
// "N passed, M failed".
var passed = 0, failed = 0;
function check(ok, what) {
  if (ok) { passed++; WScript.Echo("ok      " + what); }
  else { failed++; WScript.Echo("FAILED  " + what); }
}

var root = null;
try {
  root = new ActiveXObject("TessaryRAID.SwkvRAID");
} catch (e) {
  check(false, "new ActiveXObject: " + e.message);
}
if (root) {
  check(true, "new ActiveXObject of the version-independent program id");
  try { root.refresh(); check(true, "refresh"); } catch (e) { check(false, "refresh: " + e.message); }
  try { root.invoke("NoSuchAction", ""); check(true, "invoke of an unknown action is refused quietly"); }
  catch (e) { check(false, "invoke: " + e.message); }
}
WScript.Echo(passed + " passed, " + failed + " failed");
WScript.Quit(failed > 0 ? 1 : 0);
