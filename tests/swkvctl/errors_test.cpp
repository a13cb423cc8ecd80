// Every failure swkvctl documents: its exit code and a message that says what failed and why.
// And no input makes it crash.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/registry_sandbox.h"
#include "tests/swkvctl/ctl_process.h"

namespace swkv::test {
namespace {

TEST(SwkvctlErrors, NoComponentModuleFoundOrLoaded) {
  CtlSandbox box;
  const std::string nowhere = box.Path("nowhere/mxaRAID.so");
  CtlResult run = box.Run({"--module", nowhere, "tree"});
  ExpectFailure(run, 3, "swkvctl: no component module " + nowhere + ": the file does not exist\n");
  EXPECT_EQ(run.out, "");
  const std::string broken = box.Path("broken/mxaRAID.so");
  box.WriteFile("broken/mxaRAID.so", "not a module");
  ExpectFailure(box.Run({"--module", broken, "ls", "HBA1"}), 3,
                "swkvctl: cannot load the component module " + broken + ": ");

  // swkvctl copied where no component lies beside it: not registered, nothing to register.
  std::filesystem::create_directories(box.Path("elsewhere/bin"));
  const std::string lone = box.Path("elsewhere/bin/swkvctl");
  std::filesystem::copy_file(SWKV_CTL, lone);
  ExpectFailure(box.RunProgram(lone, {"tree"}), 3,
                "swkvctl: the component is not registered (HKEY_CLASSES_ROOT\\"
                "TessaryRAID.SwkvRAID does not exist) and there is no component module "
                "beside swkvctl (looked for " +
                    box.Path("elsewhere/lib/mxaRAID.so") + ", " +
                    box.Path("elsewhere/lib/swkv/mxaRAID.so") + ", " +
                    box.Path("elsewhere/bin/mxaRAID.so") +
                    "); register one with 'swkvctl register MODULE'\n");

  // The registered module is gone.
  std::filesystem::create_directories(box.Path("moved"));
  const std::string module = box.Path("moved/mxaRAID.so");
  std::filesystem::copy_file(SWKV_COMPONENT_MODULE, module);
  CtlResult registered = box.RunOk({"register", module});
  EXPECT_EQ(registered.out, "registered " + module + " in " +
                                box.environment["SWKV_REGISTRY_ROOT"].value() +
                                ": S_OK (0x00000000)\n");
  std::filesystem::remove(module);
  ExpectFailure(box.RunProgram(lone, {"tree"}), 3,
                "swkvctl: the registered component module " + module +
                    " does not exist; register one with 'swkvctl register MODULE'\n");
}

TEST(SwkvctlErrors, RegistrationThatCannotBeWritten) {
  CtlSandbox box;
  box.WriteFile("not-a-folder", "");
  box.environment["SWKV_REGISTRY_ROOT"] = box.Path("not-a-folder");
  const std::string module = std::filesystem::canonical(SWKV_COMPONENT_MODULE).string();
  CtlResult registration = box.Run({"register", module});
  EXPECT_EQ(registration.exitCode, 1);
  EXPECT_THAT(registration.err,
              EndsWith("swkvctl: DllRegisterServer of " + module +
                       " failed: HRESULT_FROM_WIN32(ERROR_CANTREAD) (0x800703F4)\n"));
  // Nor can the first command register the build's component.
  CtlResult tree = box.Run({"tree"});
  EXPECT_EQ(tree.exitCode, 3);
  EXPECT_THAT(tree.err, EndsWith("swkvctl: the component is not registered (HKEY_CLASSES_ROOT\\"
                                 "TessaryRAID.SwkvRAID does not exist) and registering " +
                                 module +
                                 " failed: HRESULT_FROM_WIN32(ERROR_CANTREAD) (0x800703F4)\n"));
}

TEST(SwkvctlErrors, TheControllerLibraryCannotBeLoadedOrOpensNoController) {
  CtlSandbox box;
  // The loader's path comes before the component's own: it finds this one first.
  box.WriteFile("badlib/libraidapikv9k.so", "");
  box.environment["LD_LIBRARY_PATH"] = box.Path("badlib");
  CtlResult run = box.Run({"tree"});
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_THAT(run.err, StartsWith("swkvctl: controller library unavailable: libraidapikv9k.so, "
                                  "which the component "));
  EXPECT_THAT(run.err, HasSubstr(" needs, cannot be loaded: "));

  box.environment["LD_LIBRARY_PATH"] = std::nullopt;
  box.environment["SWKV_SIM_SCENARIO"] = box.Path("no-such-scenario.json");
  run = box.Run({"tree"});
  EXPECT_EQ(run.exitCode, 4);
  // The library says why; swkvctl says what that means.
  EXPECT_THAT(run.err, HasSubstr("raidapikv9k: scenario " + box.Path("no-such-scenario.json")));
  EXPECT_THAT(run.err, HasSubstr("swkvctl: controller library unavailable: the component found no "
                                 "controller through libraidapikv9k.so (it could not open "
                                 "controller 0; the library's own message, if it gave one, is "
                                 "above)\n"));
}

TEST(SwkvctlErrors, TimeCannotBeSpedUpForALibraryWithAClockOfItsOwn) {
  CtlSandbox box;
  box.RegisterComponent();
  box.environment["LD_LIBRARY_PATH"] = SWKV_OWN_CLOCK_DIR;
  CtlResult run = box.Run({"--speed", "20", "watch", "--seconds", "5"});
  ExpectFailure(run, 2,
                "swkvctl: --speed cannot be used here: the controller library "
                "libraidapikv9k.so keeps its own time (only the simulated library can follow "
                "swkvctl's clock)\n");
  EXPECT_EQ(run.out, "");
  // Without --speed the same library serves as any other.
  EXPECT_EQ(box.Run({"get", "HBA1", "HardWare"}).exitCode, 0);
}

TEST(SwkvctlErrors, UnknownNodesEntriesAndRefusedRequests) {
  CtlSandbox box;
  box.RegisterComponent();
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string err;
  } cases[] = {
      {{"ls", "HBA1/ch9"}, 5,
       "swkvctl: unknown node HBA1/ch9: HBA1 has no child ch9 (its children: ch1, ch2, ch3, ch4, "
       "enclosure1, battery, System, Data)\n"},
      {{"tree", "HBA1/GetSmart"}, 5,
       "swkvctl: unknown node HBA1/GetSmart: GetSmart is a property of HBA1, not a node\n"},
      {{"get", "HBA1/battery", "Nope"}, 5,
       "swkvctl: unknown entry Nope of HBA1/battery (its entries: handle, BatteryTemperature, "
       "BatteryVoltage, BatteryChargeStatus, BatteryChargeCycle)\n"},
      {{"invoke", "HBA1", "Explode"}, 5,
       "swkvctl: unknown action Explode of HBA1 (swkvctl ls HBA1 lists its entries)\n"},
      {{"invoke", "HBA1", "DeleteArray", "HBA1/Nothing"}, 5,
       "swkvctl: in the action's argument: unknown node HBA1/Nothing: "},
      {{"events", "HBA1/System"}, 5,
       "swkvctl: HBA1/System is an array, not a controller: only controllers keep an event "
       "log\n"},
      {{"set", "HBA1", "GetSmart", "0"}, 6,
       "swkvctl: set HBA1 GetSmart refused with S_FALSE (0x00000001): GetSmart is read-only "
       "(access pr-); it changes through the action SetSmart\n"},
      {{"invoke", "HBA1", "GetSmart"}, 6,
       "swkvctl: invoke HBA1 GetSmart refused with S_FALSE (0x00000001): GetSmart is a "
       "property, not an action\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    ExpectFailure(box.Run(c.args), c.exitCode, c.err);
  }
  // The disk is a member of System: the controller refuses, and the component cannot say so.
  CtlResult busy = box.Run({"invoke", "HBA1", "CreateArray", "X@SPAN@1@HBA1/ch1/master@0"});
  ExpectFailure(busy, 6,
                "swkvctl: invoke HBA1 CreateArray: the action ran but had no effect: nothing in "
                "the tree changed and HBA1 sent no notification (the controller may have refused "
                "it; the component does not report why)\n");
  EXPECT_THAT(busy.out, HasSubstr("invoke: S_OK (0x00000000): the action ran\n"));
  EXPECT_THAT(busy.out, HasSubstr("changes: none\n"));
}

TEST(SwkvctlErrors, UsageErrors) {
  CtlSandbox box;
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"frobnicate"}, {"--speed", "fast", "watch"}, {"watch", "--seconds", "soon"},
           {"tree", "a", "b"}, {"ls", "--long"}, {"get"}, {"cd", "HBA1"}, {"--module"}}) {
    CtlResult run = box.Run(args);
    EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(args) << run.err;
    EXPECT_THAT(run.err, StartsWith("swkvctl: "));
  }
}

TEST(SwkvctlErrors, NoInputMakesItCrash) {
  CtlSandbox box;
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"tree", "../../.."},
           {"ls", "HBA1//ch1/./master/.."},
           {"get", "", ""},
           {"set", "HBA1/System", "name", std::string(5000, 'x')},
           {"invoke", "HBA1", "CreateArray", "@@@@@@@@@@"},
           {"invoke", "HBA1", "CreateArray", "a@RAID5(PARITY-DISTRIBUTED)@255@1@2@3"},
           {"invoke", "HBA1", "ConvArray", "512@HBA1/System@SPAN@x@9@1@2@3@4@5@6@7@8@9"},
           {"invoke", "HBA1/System", "RebuildArray", "512@\"unterminated"},
           {"invoke", "HBA1/System", "rename", "N/A"},
           {"invoke", "/", "x/y/z"},
           {"get", "HBA1", "\xff\xfe\x80"},
           {"events", "/"},
           {"--speed", "max", "watch", "--seconds", "0"}}) {
    CtlResult run = box.Run(args);
    EXPECT_GE(run.exitCode, 0) << testing::PrintToString(args) << run.err;
    EXPECT_LE(run.exitCode, 6) << testing::PrintToString(args) << run.err;
    EXPECT_THAT(run.err, Not(HasSubstr("Sanitizer")));
  }
}

}  // namespace
}  // namespace swkv::test

#endif
