// Changing things: a property written, a controller setting changed (in the tree, in the
// controller, in the registry), and an array created and deleted by separate invocations.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/registry_sandbox.h"
#include "tests/swkvctl/ctl_process.h"

namespace swkv::test {
namespace {

const char kDriverKey[] = "SYSTEM\\CurrentControlSet\\Services\\Swiftbay\\Parameters\\Device";

TEST(SwkvctlActions, ChangesShowInTheTreeTheControllerAndTheRegistry) {
  CtlSandbox box;
  CtlResult set = box.RunOk({"set", "HBA1/System", "name", "Boot volume"});
  EXPECT_EQ(set.out,
            "set: S_OK (0x00000000): stored\nnotifications: none\n"
            "changes:\n  ~ HBA1/System  name: System -> Boot volume\n");

  CtlResult invoke = box.RunOk({"invoke", "HBA1", "SetSmart", "0"});
  EXPECT_THAT(invoke.out, HasSubstr("invoke: S_OK (0x00000000): the action ran\n"));
  EXPECT_THAT(invoke.out, HasSubstr("notifications:\n  changed: HBA1\n"));
  EXPECT_THAT(invoke.out, HasSubstr("changes:\n  ~ HBA1  GetSmart: 1 -> 0\n"));
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kDriverKey, "DriverParameter"), "SMARTENABLE=0;");

  // The controller keeps it: a new process reads it back from the controller.
  CtlResult tree = box.RunOk({"tree", "HBA1"});
  EXPECT_THAT(tree.out, HasSubstr("|    GetSmart                 pr-  0\n"));

  // A setting the component keeps in the registry only.
  CtlResult cache = box.RunOk({"invoke", "HBA1", "SetCachePolicy", "0"});
  EXPECT_THAT(cache.out, HasSubstr("~ HBA1  GetCachePolicy: 1 -> 0"));
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kDriverKey, "DriverParameter"),
            "SMARTENABLE=0;WRITEBACKCACHE=0;");
}

}  // namespace
}  // namespace swkv::test

#endif
