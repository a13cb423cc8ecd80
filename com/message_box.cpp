#include "com/message_box.h"

#include <string>
#include <utility>

#include "com/resource.h"
#include "platform/win.h"

namespace swkv {

namespace {
// Touched only on the apartment thread, like everything that shows messages.
MessageHandler g_handler;
}  // namespace

void ShowMessage(std::string_view text) {
  if (g_handler) {
    g_handler(text);
    return;
  }
  // Task-modal: without an owner window the box still blocks the thread's other windows.
  std::string copy(text);
  MessageBoxA(nullptr, copy.c_str(), SWKV_MODULE_NAME, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

MessageHandler SetMessageHandler(MessageHandler handler) {
  return std::exchange(g_handler, std::move(handler));
}

}  // namespace swkv
