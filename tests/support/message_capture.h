// Collects the texts the component shows instead of showing them, for as long as it exists.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "com/message_box.h"

namespace swkv::test {

class MessageCapture {
 public:
  MessageCapture()
      : m_previous(SetMessageHandler([this](std::string_view text) { m_texts.emplace_back(text); })) {}
  ~MessageCapture() { SetMessageHandler(std::move(m_previous)); }
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  const std::vector<std::string>& texts() const { return m_texts; }
  void Clear() { m_texts.clear(); }

 private:
  std::vector<std::string> m_texts;
  MessageHandler m_previous;
};

}  // namespace swkv::test
