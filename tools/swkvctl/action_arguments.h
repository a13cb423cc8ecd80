// What each action of the tree takes, checked before swkvctl invokes it. The component takes any
// text and makes what it cannot read 0 (or nothing at all) while answering S_OK, so an argument
// that is wrong is refused here, with what the action takes. Codes may be given in words
// ("pause"), mode names in any case; --raw passes the text untouched.
#pragma once

#include <string>

namespace swkv::ctl {

// The argument as the component takes it: words turned into codes and mode names into the
// component's spelling. argument is the operator's, with node paths already turned into handle
// numbers. Throws Failure (usage) saying what is wrong and what the action takes (the caller puts
// the command before it). Actions that
// swkvctl knows nothing about pass unchanged.
std::string CheckActionArgument(int kind, const std::string& action, const std::string& argument);
// What the action takes, for a person ("a number from 0 to 254"); empty for an action swkvctl
// knows nothing about.
std::string ActionTakes(int kind, const std::string& action);
// Whether the action takes free text (a name), in which nothing is a node path.
bool TakesText(int kind, const std::string& action);
// The kind of node the field at index of the action's argument names (an array for DeleteArray's,
// a disk for CreateArray's disks), or 0 when it names none or swkvctl does not know.
int FieldKind(int kind, const std::string& action, std::size_t index, std::size_t fields);
// Whether the field at index of the action's argument names a member of the array acted on
// (RebuildArray's disk), which may be given by its path under its channel as well.
bool FieldIsArrayMember(int kind, const std::string& action, std::size_t index);

}  // namespace swkv::ctl
