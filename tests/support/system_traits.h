// What a test can ask of the system it runs on, for the few checks that hold on Windows and on
// our POSIX platform but not in every Windows-compatible runtime the test programs run in.
#pragma once

namespace swkv::test {

// True when the Windows API is provided by the Wine runtime rather than by Windows itself. Its
// registry does not check a handle's right to create subkeys, its timer identifiers are unique
// per thread only, it reports an invalid window handle with another status, and its message
// dispatch calls any timer procedure a message names.
bool RunningOnWine();

}  // namespace swkv::test
