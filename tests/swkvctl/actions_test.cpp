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

TEST(SwkvctlActions, AnArrayCreatedByOneInvocationIsDeletedByAnother) {
  CtlSandbox box;
  // Nothing configured: the simulated controllers keep their state in the user's state folder.
  box.environment["SWKV_SIM_STATE"] = std::nullopt;
  // The second controller's spanned array gives its two disks back...
  CtlResult free = box.RunOk({"invoke", "HBA2", "DeleteArray", "HBA2/Archive"});
  EXPECT_THAT(free.out, HasSubstr("  HBA2/Archive -> "));
  EXPECT_THAT(free.out, HasSubstr("  deleted: HBA2/Archive\n"));
  EXPECT_THAT(free.out, HasSubstr("  - HBA2/Archive  array (gone)\n"));

  // ...for a mirror named by the disks' paths.
  CtlResult create = box.RunOk({"invoke", "HBA2", "CreateArray",
                              "Mirror@RAID1(MIRROR)@2@HBA2/ch3/master@HBA2/ch4/master@128"});
  EXPECT_THAT(create.out, HasSubstr("  HBA2/ch3/master -> "));
  EXPECT_THAT(create.out, HasSubstr("  HBA2/ch4/master -> "));
  EXPECT_THAT(create.out, HasSubstr("  + HBA2/Mirror  array (new; below it: disk5, disk7)\n"));

  EXPECT_TRUE(std::filesystem::exists(box.Path("state/swkv/sim-state.json")));
  CtlResult shown = box.RunOk({"tree", "--brief", "HBA2/Mirror"});
  EXPECT_THAT(shown.out, HasSubstr("111.790 GB  normal  MIRRORING, blocks of 64 (kb)"));

  CtlResult remove = box.RunOk({"invoke", "HBA2", "DeleteArray", "HBA2/Mirror"});
  EXPECT_THAT(remove.out, HasSubstr("  - HBA2/Mirror  array (gone)\n"));

  CtlResult gone = box.Run({"ls", "HBA2/Mirror"});
  EXPECT_EQ(gone.exitCode, 5);
  EXPECT_EQ(gone.err,
            "swkvctl: unknown node HBA2/Mirror: HBA2 has no child Mirror (its children: ch1, ch2, "
            "ch3, ch4, enclosure1, Scratch, Ledger)\n");
}

TEST(SwkvctlActions, ARebuildPausedShowsInTheArraysThrottleStatus) {
  CtlSandbox box;
  box.environment["SWKV_SIM_CLOCK"] = "manual+40";  // disk 2 failed at 30 s; the rebuild runs
  CtlResult pause = box.RunOk({"invoke", "HBA1/System", "RebuildArray", "1024"});
  EXPECT_THAT(pause.out, HasSubstr("~ HBA1/System  ThrottleStatus: 1 -> 4"));
  CtlResult state = box.Run({"tree", "--brief", "HBA1/System"});
  EXPECT_THAT(state.out, HasSubstr("rebuilding 16% (paused)"));
}

}  // namespace
}  // namespace swkv::test

#endif
