#include <gtest/gtest.h>

#include <string_view>

#include "com/message_box.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // A message shown outside a MessageCapture would be a modal box waiting for a click on
  // Windows, or one that a runtime without a display closes at once: either way the test would
  // not see it. It fails the test instead.
  swkv::SetMessageHandler([](std::string_view text) {
    ADD_FAILURE() << "a message box outside a MessageCapture: " << text;
  });
  return RUN_ALL_TESTS();
}
