// What an operator sees of the tree: the drawn tree, the brief one, JSON for scripts, one node's
// entries and single values; and the first run on a fresh machine registering the component.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <set>

#include "tests/support/registry_sandbox.h"
#include "tests/swkvctl/ctl_process.h"

namespace swkv::test {
namespace {

const char kServerKey[] = "CLSID\\{2C21A4B6-C51A-4990-B440-B0841534F73A}\\InprocServer32";

// A line of the drawn tree: the tree's glyphs, the entry's name, the padding to the value column,
// then the rest exactly.
bool HasEntryLine(const std::string& text, const std::string& name, const std::string& rest) {
  for (const std::string& line : Lines(text)) {
    const std::size_t at = line.find_first_not_of("|`+- ");
    if (at == std::string::npos || line.compare(at, name.size() + 1, name + " ") != 0) continue;
    const std::size_t after = line.find_first_not_of(' ', at + name.size());
    if (after != std::string::npos && line.substr(after) == rest) return true;
  }
  return false;
}

TEST(SwkvctlTree, AFreshMachineRegistersTheBuildsComponentAndShowsTwoControllers) {
  CtlSandbox box;
  CtlResult first = box.RunOk({"tree"});
  EXPECT_THAT(first.err, HasSubstr("swkvctl: registered the component "));
  EXPECT_EQ(std::filesystem::canonical(GetString(HKEY_CLASSES_ROOT, kServerKey, "")),
            std::filesystem::canonical(SWKV_COMPONENT_MODULE));

  const std::vector<std::string> lines = Lines(first.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "/  [root]");
  EXPECT_THAT(first.out, HasSubstr("\n+-- HBA1  [controller]\n"));
  EXPECT_THAT(first.out, HasSubstr("\n`-- HBA2  [controller]\n"));
  // The default scenario's arrays, with their disks below them.
  for (const char* title : {"System  [array]", "Data  [array]", "Scratch  [array]",
                            "Ledger  [array]", "Archive  [array]", "quickbay1  [drive bay]",
                            "battery  [battery]", "master  [disk]", "slave  [disk]"})
    EXPECT_THAT(first.out, HasSubstr(title));
  // Every property's access sits in one column, and so its value does, whatever the depth.
  std::set<std::size_t> columns;
  std::size_t properties = 0;
  for (const std::string& line : lines)
    for (const char* access : {"  pr-  ", "  prw  ", "  prv  ", "  m--  "})
      if (std::size_t at = line.find(access); at != std::string::npos) {
        columns.insert(at);
        ++properties;
      }
  EXPECT_EQ(columns.size(), 1u);
  EXPECT_GT(properties, 300u);
  // Notes for what is not readable at a glance, and the actions of a node on one marked line.
  EXPECT_TRUE(HasEntryLine(first.out, "Status", "prv  0  (normal)")) << first.out;
  EXPECT_TRUE(HasEntryLine(first.out, "Status", "prv  256  (synchronising)"));
  EXPECT_TRUE(HasEntryLine(first.out, "Status", "prv  256  (good)"));
  EXPECT_TRUE(HasEntryLine(first.out, "> actions",
                           "m--  rename RebuildArray SyncArray ForceIT GUI_Status"));
  EXPECT_TRUE(HasEntryLine(first.out, "Size", "pr-  223.580 GB"));

  CtlResult second = box.RunOk({"tree", "HBA1/System"});
  EXPECT_EQ(second.err, "");  // registered now: nothing to say
  EXPECT_THAT(second.out, StartsWith("HBA1/System  [array]\n"));
  EXPECT_THAT(second.out, HasSubstr("`-- disk3  [disk]"));
  EXPECT_THAT(second.out, Not(HasSubstr("HBA2")));
}

TEST(SwkvctlTree, UnregisterRemovesTheRegistrationAndTheNextCommandRegistersAgain) {
  CtlSandbox box;
  box.RegisterComponent();
  const std::string module = std::filesystem::canonical(SWKV_COMPONENT_MODULE).string();
  CtlResult gone = box.RunOk({"unregister"});
  EXPECT_EQ(gone.out, "unregistered " + module + " from " +
                          box.environment["SWKV_REGISTRY_ROOT"].value() +
                          ": S_OK (0x00000000)\n");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "TessaryRAID.SwkvRAID"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{2C21A4B6-C51A-4990-B440-B0841534F73A}"));
  CtlResult again = box.Run({"-q", "get", "/", "Type"});
  EXPECT_EQ(again.out, "TESSARY SwiftbayRAIDKv9\n");
  EXPECT_EQ(again.err, "swkvctl: registered the component " + module +
                           " (HKEY_CLASSES_ROOT\\TessaryRAID.SwkvRAID does not exist)\n");
}

TEST(SwkvctlTree, JsonOfTheTreeAndOfANodeParses) {
  CtlSandbox box;
  CtlResult tree = box.RunOk({"tree", "--json"});
  const nlohmann::json root = nlohmann::json::parse(tree.out);
  EXPECT_EQ(root["path"], "/");
  EXPECT_EQ(root["kind"], 14);
  ASSERT_EQ(root["children"].size(), 2u);
  const nlohmann::json& hba1 = root["children"][0];
  EXPECT_EQ(hba1["name"], "HBA1");
  EXPECT_EQ(hba1["kindName"], "controller");
  std::vector<std::string> names;
  for (const auto& child : hba1["children"]) names.push_back(child["name"]);
  EXPECT_EQ(names, (std::vector<std::string>{"ch1", "ch2", "ch3", "ch4", "enclosure1", "battery",
                                             "System", "Data"}));
  // Every node's handle carries its kind, and every entry has its three parts.
  std::size_t nodes = 0;
  std::function<void(const nlohmann::json&)> visit = [&](const nlohmann::json& node) {
    ++nodes;
    const std::string handle = node["handle"];
    EXPECT_EQ(handle.substr(handle.find(';') + 1), std::to_string(node["kind"].get<int>()));
    for (const auto& entry : node["entries"])
      EXPECT_TRUE(entry.contains("name") && entry.contains("access") && entry.contains("value"));
    for (const auto& child : node["children"]) visit(child);
  };
  visit(root);
  EXPECT_EQ(nodes, 49u);

  CtlResult ls = box.RunOk({"ls", "HBA2/Ledger", "--json"});
  const nlohmann::json ledger = nlohmann::json::parse(ls.out);
  EXPECT_EQ(ledger["path"], "HBA2/Ledger");
  bool sawStatus = false;
  for (const auto& entry : ledger["entries"])
    if (entry["name"] == "Status") {
      sawStatus = true;
      EXPECT_EQ(entry["access"], "prv");
      EXPECT_EQ(entry["value"], "256");
    }
  EXPECT_TRUE(sawStatus) << ls.out;
}

}  // namespace
}  // namespace swkv::test

#endif
