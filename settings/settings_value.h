// One registry value holding adapter settings text: read within the size the store reads, one
// setting put into it, written back. Shared by the driver-key and the per-device layouts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win.h"

namespace swkv {

// Reads the settings text of a value into text, reading at most capacity bytes (terminator
// included). A missing value is an empty text. False when the value exists but cannot be read,
// in particular when it is longer than capacity: such a value must not be replaced by a text
// that has lost its pairs.
bool ReadSettingsText(HKEY key, const char* valueName, std::size_t capacity, std::string& text);

// Puts name=value into text through the settings table. False, leaving text as it was, when the
// table would need more than its 32 entries or the new text and its terminator would not fit in
// capacity bytes: the store reads no more than that, so a longer text could never be read back.
bool PutSettingIntoText(std::string& text, std::string_view name, std::int32_t value,
                        std::size_t capacity);

// Writes text as the REG_SZ value, its terminator counted. False when the write fails.
bool WriteSettingsText(HKEY key, const char* valueName, const std::string& text);

}  // namespace swkv
