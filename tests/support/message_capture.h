// Keeps the texts the component would show in a message box from showing, for as long as it
// exists (outside one, a message fails the test).
#pragma once

#include <string_view>
#include <utility>

#include "com/message_box.h"

namespace swkv::test {

class MessageCapture {
 public:
  MessageCapture() : m_previous(SetMessageHandler([](std::string_view) {})) {}
  ~MessageCapture() { SetMessageHandler(std::move(m_previous)); }
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

 private:
  MessageHandler m_previous;
};

}  // namespace swkv::test
