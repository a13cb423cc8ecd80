#include "tools/swkvctl/value_notes.h"

namespace swkv::ctl {

namespace {

// Status words of an array as the component sets them: the state codes of the controller
// (normal, critical, down), or while an activity runs or is paused, the activity byte.
std::string ArrayStatusWord(const std::string& status) {
  if (status == "0") return "normal";
  if (status == "-2147483647") return "critical";
  if (status == "-2147483646") return "down";
  if (status == "256") return "synchronising";
  if (status == "512") return "rebuilding";
  if (status == "768") return "converting";
  return "";
}

std::string ThrottleWord(const std::string& throttle) {
  if (throttle == "1") return "running";
  if (throttle == "2") return "no activity";
  if (throttle == "4") return "paused";
  return "";
}

}  // namespace

std::string ValueNote(int kind, const Entry& entry) {
  if (kind == kKindArray) {
    if (entry.name == "Status") return ArrayStatusWord(entry.value);
    if (entry.name == "ThrottleStatus") return ThrottleWord(entry.value);
  }
  if (kind == kKindDisk) {
    if (entry.name == "Status") {
      if (entry.value == "256") return "good";
      if (entry.value == "512") return "failed or offline";
      if (entry.value == "-2147483647") return "in an array activity";
    }
    if (entry.name == "Rebuild") {
      if (entry.value == "1") return "being rebuilt";
      if (entry.value == "2") return "to be rebuilt; its array is idle";
    }
    if (entry.name == "Convert" && entry.value == "3") return "being converted";
  }
  return "";
}

std::string DescribeArrayState(const std::string& status, const std::string& throttle,
                               const std::string& percent) {
  std::string word = ArrayStatusWord(status);
  if (word.empty()) word = "status " + status;
  if (status == "256" || status == "512" || status == "768") {
    if (!percent.empty()) word += " " + percent + "%";
    if (throttle == "4") word += " (paused)";
  }
  return word;
}

}  // namespace swkv::ctl
