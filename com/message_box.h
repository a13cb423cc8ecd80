// The component's messages to the person at the machine: a modal box with an OK button on
// Windows (standard error in the POSIX build, where the platform library's MessageBoxA writes
// there). Tests replace how messages are shown, on both builds, to see the exact texts without
// a box that waits for a click.
#pragma once

#include <functional>
#include <string_view>

namespace swkv {

using MessageHandler = std::function<void(std::string_view text)>;

// Shows text and returns once it has been acknowledged.
void ShowMessage(std::string_view text);

// Makes handler show every later message instead of the message box; an empty handler restores
// the message box. Returns the handler it replaces.
MessageHandler SetMessageHandler(MessageHandler handler);

}  // namespace swkv
