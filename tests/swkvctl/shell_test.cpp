// The shell driven by a script on standard input, as a scheduled job would drive it.
#ifndef _WIN32

#include <gtest/gtest.h>

#include "tests/swkvctl/ctl_process.h"

namespace swkv::test {
namespace {

TEST(SwkvctlShell, RunsAScriptFromStandardInput) {
  CtlSandbox box;
  box.RegisterComponent();
  CtlResult run = box.Run({"shell"},
                          "# nightly check\n"
                          "cd HBA1\n"
                          "pwd\n"
                          "get GetSmart ReadThreshold\n"
                          "invoke SetReadThreshold 12\n"
                          "cd System/disk1\n"
                          "get .. name\n"
                          "cd /\n"
                          "get HBA1 'ReadThreshold'\n"
                          "frobnicate\n"
                          "ls HBA1/nothing\n"
                          "invoke \"HBA1/System\" rename 'Boot volume'\n"
                          "get HBA1/System name\n"
                          "refresh HBA1/ch2\n");
  // The last failure decides the exit code; the commands after a failure still run.
  EXPECT_EQ(run.exitCode, 5) << run.err;
  EXPECT_EQ(run.out,
            "HBA1\n"
            "GetSmart = 1\n"
            "ReadThreshold = 8\n"
            "get: S_OK (0x00000000)\n"
            "invoke: S_OK (0x00000000): the action ran\n"
            "notifications:\n"
            "  changed: HBA1\n"
            "changes:\n"
            "  ~ HBA1  ReadThreshold: 8 -> 12\n"
            "name = System\n"
            "get: S_OK (0x00000000)\n"
            "ReadThreshold = 12\n"
            "get: S_OK (0x00000000)\n"
            "invoke: S_OK (0x00000000): the action ran\n"
            "notifications:\n"
            "  changed: HBA1/System\n"
            "changes:\n"
            "  ~ HBA1/System  name: System -> Boot volume\n"
            "name = Boot volume\n"
            "get: S_OK (0x00000000)\n"
            "refresh: S_OK (0x00000000): the node read its device again\n"
            "notifications:\n"
            "  changed: HBA1/ch2/master, HBA1/ch2/slave\n"
            "changes: none\n");
  EXPECT_EQ(run.err,
            "swkvctl: unknown shell command frobnicate ('help' lists them)\n"
            "swkvctl: unknown node HBA1/nothing: HBA1 has no child nothing (its children: ch1, "
            "ch2, ch3, ch4, enclosure1, battery, System, Data)\n");
}

TEST(SwkvctlShell, EchoShowsEachLineWithItsPromptAndAnOpenQuoteIsAUsageError) {
  CtlSandbox box;
  box.RegisterComponent();
  EXPECT_EQ(box.RunOk({"-q", "shell", "--echo"}, "cd HBA2/Ledger\nget name\nexit\nget name\n").out,
            "swkvctl:/> cd HBA2/Ledger\n"
            "swkvctl:HBA2/Ledger> get name\n"
            "Ledger\n"
            "swkvctl:HBA2/Ledger> exit\n");
  ExpectFailure(box.Run({"shell"}, "get HBA1 'GetSmart\n"), 2, "swkvctl: unterminated ' quote\n");
}

}  // namespace
}  // namespace swkv::test

#endif
