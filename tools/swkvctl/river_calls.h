// The agent's side of IRiver: every call swkvctl makes on a node goes through here, with buffers
// that swkvctl owns, as the component expects of its host.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"

namespace swkv::ctl {

// One dir entry of a node: "name@access@value".
struct Entry {
  std::string name;
  std::string access;  // "pr-", "prw", "prv", "m--" or "o--"
  std::string value;   // for a child link, the child's kind number

  bool IsLink() const { return access == "o--"; }
  bool IsAction() const { return access == "m--"; }
  bool IsWritable() const { return access == "prw"; }
};

// Splits a dir entry. The name comes first and may itself hold '@', so the split is at the first
// "@access@" that has the form of an access string. False for text of another shape (an empty
// entry, as the component gives for a malformed child link).
bool ParseDirEntry(std::string_view text, Entry& entry);

// The node's entries in list order (dir, Reset, Next). The status of dir, or S_OK.
HRESULT ListEntries(IRiver* node, std::vector<Entry>& entries);
// get into a buffer of ours. get reports success for any name; callers check the name first.
HRESULT GetValue(IRiver* node, std::string_view name, std::string& value);
HRESULT SetValue(IRiver* node, std::string_view name, std::string_view value);
HRESULT InvokeAction(IRiver* node, std::string_view name, std::string_view argument);
// cd; the child's IRiver, or null with the status in *status.
ComPtr<IRiver> StepInto(IRiver* node, std::string_view name, HRESULT* status = nullptr);
// The object's identity (its IUnknown), to tell two references to one node apart from two nodes.
ComPtr<IUnknown> IdentityOf(IUnknown* object);

// Node kinds by number, in words ("array"); "kind N" for a number the component does not use.
std::string KindName(int kind);
constexpr int kKindRoot = 14;
constexpr int kKindController = 26;
constexpr int kKindArray = 25;
constexpr int kKindChannel = 27;
constexpr int kKindDisk = 28;
constexpr int kKindEnclosure = 7;
constexpr int kKindBay = 17;
constexpr int kKindBattery = 29;

}  // namespace swkv::ctl
