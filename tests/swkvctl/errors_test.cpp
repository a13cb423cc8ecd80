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
