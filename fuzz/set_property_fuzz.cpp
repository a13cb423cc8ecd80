// Fuzz target: the agent's `set` on a live tree over the simulated controllers (the default
// scenario), with any name and value, followed by `get` of the same entry and a read of the whole
// tree, all through IRiver as the agent calls it, with BSTRs shaped as agents make them.
//
// Input: byte 0 picks the node (tree order from the root, modulo the number of nodes);
//   byte 1: bits 0-1 the name's BSTR shape, bits 2-3 the value's (0: exact; 1: length prefix half
//           the contents, or a null BSTR for an empty text; 2: contents followed by zeros within
//           the prefix; 3: an odd byte count, one byte more than the contents), bit 4 the value
//           is UTF-16 (two bytes a character, so beyond the single-byte range), bit 5 `refresh`
//           after the `set`, bit 6 `get` into a null BSTR, bit 7 `get` with no place for one;
//   byte 2: the length of the agent's buffers for `get` and `dir` (below 128 itself, otherwise
//           (byte - 128) * 64); byte 3: the `right` argument of `set`;
//   the rest: the entry name, "\n", the value.
// Checked: `set` answers S_OK exactly for a writable property, which then holds the value (as
// converted to single bytes) and nothing else of the node changes; otherwise nothing changes.
// Every `get` and `dir` fills the agent's buffer with the start of the entry's text and its
// terminator, never past the buffer's length prefix (AddressSanitizer watches the rest).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fuzz/fuzz_host.h"
#include "platform/com_ptr.h"
#include "raidlib/selection.h"
#include "river/river.h"
#include "sim/sim_control.h"
#include "tree/root_node.h"

namespace {

using swkv::CRiver;

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

// ---- BSTRs as agents pass them ---------------------------------------------------------------

// Allocates room for units characters (plus the terminator) holding contents, then writes
// byteLength into the length prefix. byteLength never exceeds the room, so the BSTR stays inside
// its block: what differs is only what its prefix claims.
swkv::UniqueBstr ShapedBstr(const std::u16string& contents, unsigned shape) {
  const auto count = static_cast<UINT>(contents.size());
  if (shape == 1 && count == 0) return {};
  UINT room = count;
  if (shape == 2) room = count + 4;
  if (shape == 3) room = count + 1;
  swkv::UniqueBstr text(SysAllocStringLen(nullptr, room));
  Check(static_cast<bool>(text));
  for (UINT i = 0; i < count; ++i) text.get()[i] = static_cast<OLECHAR>(contents[i]);
  std::uint32_t byteLength = room * 2;
  if (shape == 1) byteLength = (count / 2) * 2;
  if (shape == 3) byteLength = count * 2 + 1;
  std::memcpy(reinterpret_cast<unsigned char*>(text.get()) - sizeof byteLength, &byteLength,
              sizeof byteLength);
  return text;
}

// The single-byte text the component makes of a BSTR: its SysStringLen characters, each one
// above 0xFF replaced.
std::string SingleByte(BSTR text) {
  std::string result;
  for (UINT i = 0; i < SysStringLen(text); ++i)
    result += text[i] <= 0xFF ? static_cast<char>(text[i]) : '?';
  return result;
}

std::u16string Widened(std::string_view bytes, bool utf16) {
  std::u16string wide;
  if (utf16) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
      wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                    static_cast<unsigned char>(bytes[i + 1]) << 8);
  } else {
    for (char c : bytes) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  }
  return wide;
}

constexpr UINT kLongestBuffer = 127 * 64;

// The agent's buffer holds the start of text that fits, then zeros up to its end (terminator
// included), and its length prefix is untouched.
// (Compared with memcmp: buffers run to thousands of characters, read for every entry.)
void CheckBuffer(BSTR buffer, UINT length, std::string_view text) {
  Check(SysStringLen(buffer) == length);
  static const std::vector<OLECHAR> zeros(kLongestBuffer + 1);
  const std::size_t shown = std::min<std::size_t>(length, text.size());
  for (std::size_t i = 0; i < shown; ++i)
    Check(buffer[i] == static_cast<unsigned char>(text[i]));
  Check(std::memcmp(buffer + shown, zeros.data(), (length + 1 - shown) * sizeof(OLECHAR)) == 0);
}

// A get into the agent's buffer of the given length: the value is written into that buffer,
// cut to it, and the buffer stays the agent's. An entry the node lacks reads as empty.
void GetIntoBuffer(IRiver* river, BSTR name, const CRiver& node, std::string_view entry,
                   UINT length) {
  swkv::UniqueBstr buffer = swkv::UniqueBstr::Buffer(length);
  BSTR slot = buffer.get();
  Check(river->get(name, &slot) == S_OK);
  Check(slot == buffer.get());
  const swkv::CDrop* drop = node.FindDrop(entry);
  CheckBuffer(buffer.get(), length, drop ? std::string_view(drop->value()) : std::string_view());
}

// ---- the tree --------------------------------------------------------------------------------

void Collect(CRiver* node, std::vector<CRiver*>& nodes) {
  nodes.push_back(node);
  swkv::DropPosition position = node->GetHeadPosition();
  while (CRiver* child = node->GetNextChild(position)) Collect(child, nodes);
}

using Snapshot = std::vector<std::tuple<std::string, std::uint32_t, std::string>>;

Snapshot Entries(const CRiver* node) {
  Snapshot entries;
  for (const auto& drop : node->drops())
    entries.emplace_back(drop->name(), drop->flags(), drop->value());
  return entries;
}

swkv::ComPtr<IRiver> RiverOf(CRiver* node) {
  swkv::ComPtr<IRiver> river;
  Check(node->QueryInterface(swkv::IID_IRiver, river.put_void()) == S_OK);
  return river;
}

// Reads every entry of every node with `get`, and lists each node with `dir`, into buffers of
// the given length, as an agent walking the tree would.
void ReadAll(CRiver* root, UINT length) {
  std::vector<CRiver*> nodes;
  Collect(root, nodes);
  for (CRiver* node : nodes) {
    swkv::ComPtr<IRiver> river = RiverOf(node);
    std::vector<std::string> names;
    for (const auto& drop : node->drops()) names.push_back(drop->name());
    for (const std::string& name : names) {
      swkv::UniqueBstr bstrName = swkv::UniqueBstr::FromAnsi(name);
      GetIntoBuffer(river.get(), bstrName.get(), *node, name, length);
    }

    swkv::ComPtr<IUnknown> listing;
    Check(river->dir(listing.put()) == S_OK);
    swkv::ComPtr<IEnumString> entries = listing.As<IEnumString>(IID_IEnumString);
    Check(static_cast<bool>(entries));
    // After Reset, as the agent starts, the enumerator yields one entry per drop in list order.
    Check((entries->Reset() == S_OK) == !node->drops().empty());
    std::size_t index = 0;
    for (;;) {
      swkv::UniqueBstr buffers[3] = {swkv::UniqueBstr::Buffer(length),
                                     swkv::UniqueBstr::Buffer(length),
                                     swkv::UniqueBstr::Buffer(length)};
      LPOLESTR slots[3] = {buffers[0].get(), buffers[1].get(), buffers[2].get()};
      ULONG fetched = 0;
      const HRESULT status = entries->Next(3, slots, &fetched);
      Check(fetched <= 3 && (status == S_OK) == (fetched > 0));
      for (ULONG i = 0; i < fetched; ++i, ++index) {
        Check(index < node->drops().size());
        std::string expected;
        node->drops()[index]->AppendDirEntry(expected);
        CheckBuffer(buffers[i].get(), length, expected);
      }
      if (fetched < 3) break;
    }
    Check(index == node->drops().size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  // The embedded default scenario, kept in this process alone, and a registry of its own.
  swkv::fuzz::PrepareProcess();
  const unsigned shapes = data[1];
  const UINT length = data[2] < 128 ? data[2] : (data[2] - 128u) * 64u;
  const ULONG right = data[3];
  const std::string input(reinterpret_cast<const char*>(data) + 4, size - 4);
  const std::size_t split = std::min(input.find('\n'), input.size());
  const std::string_view nameBytes = std::string_view(input).substr(0, split);
  const std::string_view valueBytes = std::string_view(input).substr(std::min(split + 1, input.size()));

  Check(simReset() == 0);
  simStopClock();
  swkv::ResetSelection();  // the new model has no controller open
  swkv::ComPtr<swkv::RootNode> root(swkv::RootNode::New());
  std::vector<CRiver*> nodes;
  Collect(root.get(), nodes);
  CRiver* node = nodes[data[0] % nodes.size()];
  swkv::ComPtr<IRiver> river = RiverOf(node);

  swkv::UniqueBstr name = ShapedBstr(Widened(nameBytes, false), shapes & 3);
  swkv::UniqueBstr value = ShapedBstr(Widened(valueBytes, (shapes & 0x10) != 0), (shapes >> 2) & 3);
  const std::string entry = SingleByte(name.get());
  const swkv::CDrop* target = node->FindDrop(entry);
  const bool writable = target && !target->IsChildLink() &&
                        (target->flags() & (swkv::DROP_PROPERTY | swkv::DROP_WRITE)) ==
                            (swkv::DROP_PROPERTY | swkv::DROP_WRITE);
  Snapshot expected = Entries(node);
  if (writable) {
    for (auto& [dropName, flags, dropValue] : expected)
      if (dropName == entry) {
        dropValue = SingleByte(value.get());
        break;  // the first drop of that name
      }
  }

  const HRESULT status = river->set(name.get(), value.get(), right);
  Check(status == (writable ? S_OK : S_FALSE));
  Check(Entries(node) == expected);

  if (shapes & 0x20) Check(river->refresh() == S_OK);

  if (shapes & 0x80) {
    Check(river->get(name.get(), nullptr) == E_POINTER);
  } else if (shapes & 0x40) {
    BSTR none = nullptr;
    Check(river->get(name.get(), &none) == S_OK);
    Check(none == nullptr);
  } else {
    GetIntoBuffer(river.get(), name.get(), *node, entry, length);
  }

  ReadAll(root.get(), length);
  return 0;
}
