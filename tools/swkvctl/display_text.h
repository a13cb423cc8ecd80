// Text from the component on a terminal. A name or a value may hold control characters (an
// escape sequence, a newline) that a terminal would obey; swkvctl shows them escaped instead, in
// every text output (JSON has its own escapes). A node's name in a path is escaped a little more,
// so that a name holding '/' stays one step of the path and every path shown can be typed back.
#pragma once

#include <string>
#include <string_view>

namespace swkv::ctl {

// Control characters written as \e, \n, \r, \t or \xHH (C0 and DEL) and \u0080 to \u009F (C1);
// every other character as it is.
std::string DisplayText(std::string_view text);
// A name as one step of a path: DisplayText, and '\' and '/' written \\ and \/.
std::string PathStep(std::string_view name);
// The name one step of a typed path stands for: the escapes above undone (\e, \n, \r, \t, \\,
// \/, \xHH, \u0080 to \u009F); a backslash before anything else stands for itself.
std::string NameOfStep(std::string_view step);
// Where the path's next step ends: the first '/' at or after start that no backslash escapes, or
// the path's size.
std::size_t StepEnd(std::string_view path, std::size_t start);

}  // namespace swkv::ctl
