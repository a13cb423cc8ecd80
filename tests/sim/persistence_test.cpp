// The state file: processes that follow one another, or run at once, share one controller; a
// state file that cannot be read is refused and left alone; a saved model reads back the same.
//
// The other processes are this test program again, running the disabled SimWorker test with a
// role given in SWKV_SIM_TEST_ROLE.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "sim_fixture.h"

#ifdef __linux__
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace swkv::test {
namespace {

namespace fs = std::filesystem;

class PersistenceTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    m_dir = fs::temp_directory_path() /
            ("swkv-state-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    m_state = m_dir / "nested" / "state.json";
    WriteText(m_dir / "scenario.json", Scenario{.disks = 8, .hotSpares = true, .arrays = kMirror,
                                                .extra = R"("battery":{})",
                                                .timeline = R"({"at":10,"disk":1,"do":"fail"})"}
                                           .Json());
    SetEnv("SWKV_SIM_SCENARIO", (m_dir / "scenario.json").string().c_str());
    SetEnv("SWKV_SIM_STATE", m_state.string().c_str());
  }
  void TearDown() override {
    ClearSimEnvironment();
    simReset();
    fs::remove_all(m_dir);
  }
  // Starts this process over on the state file (which simReset replaces with a fresh model).
  void Restart() {
    ASSERT_EQ(simReset(), kOk) << simLastError();
    simStopClock();
    Open(0);
  }

  fs::path m_dir, m_state;
};

#ifdef __linux__  // worker processes are started on Linux only
// Starts this program as a worker with the role; the worker inherits the environment.
pid_t StartWorker(const std::string& role) {
  SetEnv("SWKV_SIM_TEST_ROLE", role.c_str());
  pid_t pid = fork();
  if (pid == 0) {
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, 1);
    execl("/proc/self/exe", "swkv_sim_tests", "--gtest_filter=SimWorker.DISABLED_Run",
          "--gtest_also_run_disabled_tests", static_cast<char*>(nullptr));
    _exit(127);
  }
  SetEnv("SWKV_SIM_TEST_ROLE", nullptr);
  return pid;
}

// The worker's exit status: 0 when all its checks passed.
int Wait(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST_F(PersistenceTest, SuccessiveProcessesShareOneController) {
  Restart();
  ASSERT_TRUE(fs::exists(m_state)) << "the directory is made and the model saved at once";
  ASSERT_EQ(Wait(StartWorker("create")), 0);
  ASSERT_EQ(Wait(StartWorker("check-delete")), 0);
  EXPECT_EQ(Arrays(), std::vector<uint32_t>{0}) << "this process sees the other two's work";
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{27, 28}));
  EXPECT_EQ(Disk(2).state, kFree);
}

TEST_F(PersistenceTest, TwoProcessesAtOnceLoseNothing) {
  Restart();
  pid_t a = StartWorker("events:A:40");
  pid_t b = StartWorker("events:B:40");
  ASSERT_EQ(Wait(a), 0);
  ASSERT_EQ(Wait(b), 0);
  std::vector<RaEventRecord> events = Events();
  ASSERT_EQ(events.size(), 80u);
  int nextA = 0, nextB = 0;
  for (const RaEventRecord& e : events) {
    std::string text = e.text;
    int& next = text[0] == 'A' ? nextA : nextB;
    EXPECT_EQ(text.substr(2), std::to_string(next)) << "each process's events keep their order";
    ++next;
  }
  EXPECT_EQ(nextA, 40);
  EXPECT_EQ(nextB, 40);
}

TEST_F(PersistenceTest, ManualClockCarriesAcrossProcesses) {
  SetEnv("SWKV_SIM_CLOCK", "manual");
  Restart();
  // Each worker moves the clock on by 30 s: the disk fails at 10 s, the spare rebuild (100 s)
  // is 20% done after the first and 50% after the second.
  SetEnv("SWKV_SIM_CLOCK", "manual+30");
  ASSERT_EQ(Wait(StartWorker("status:1:20")), 0);
  ASSERT_EQ(Wait(StartWorker("status:1:50")), 0);
  SetEnv("SWKV_SIM_CLOCK", "manual");
  EXPECT_EQ(Status(0).progress, 50) << "a stopped clock takes the later time it finds";
}
#endif

TEST_F(PersistenceTest, UnreadableStateIsRefusedAndLeftAlone) {
  Restart();
  struct Case {
    std::string contents, expected;
  } cases[] = {
      {"{ not json", "at line 1, column 4: not valid JSON"},
      {R"({"controllers":[{"arrays":[{"mode":"mirroring","members":[0]}]}]})",
       "at /controllers/0/arrays/0/members/0: disk 0 is not in \"disks\""},
  };
  for (const Case& c : cases) {
    WriteText(m_state, c.contents);
    EXPECT_EQ(TryOpen(0), SIM_E_UNAVAILABLE);
    EXPECT_EQ(simApply(R"({"update":true})"), SIM_E_UNAVAILABLE);
    std::string error = simLastError();
    EXPECT_EQ(error.rfind("state file " + m_state.string() + ": " + c.expected, 0), 0u) << error;
    EXPECT_NE(error.find("left as it is"), std::string::npos) << error;
    EXPECT_EQ(ReadText(m_state), c.contents) << "never overwritten";
  }
  fs::remove(m_state);
  fs::create_directory(m_state);
  EXPECT_EQ(TryOpen(0), SIM_E_UNAVAILABLE) << "a directory cannot be read";
  fs::remove(m_state);
  ASSERT_EQ(TryOpen(0), kOk) << "without a state file the scenario starts again";
  EXPECT_EQ(Arrays(), std::vector<uint32_t>{0});
}

TEST_F(PersistenceTest, SavedModelReadsBackTheSame) {
  Restart();
  ASSERT_EQ(simFailCall("raClearLog", 1, 3, 44), kOk);
  ASSERT_EQ(Create("Paused", kMirroring, {2, 3}), kOk);
  ASSERT_EQ(Create("Growing", kSpanning, {4}), kOk);
  Advance(20);  // disk 1 failed at 10 s: a spare rebuild onto disk 5 runs
  ASSERT_EQ(raArraySynchronize(1, kStart), kOk);
  Advance(10);
  ASSERT_EQ(raArraySynchronize(1, kPause), kOk);
  const uint32_t grown[] = {4, 6};
  ASSERT_EQ(raExpanConv(2, kStriping, 2, grown, 256, kStart), kOk);
  Apply(R"({"disk":3,"do":"smart","smart":2})");
  Apply(R"({"battery":{"module":false}})");
  ASSERT_EQ(raRenameArray(0, "Caf\xE9"), kOk) << "names are bytes, not UTF-8";

  auto snapshot = [&] {
    std::ostringstream s;
    for (uint32_t a : Arrays()) {
      ArrayStatus st = Status(a);
      s << a << ":" << Out(raMapLogicalToPhysicalArray, a) << ":" << Info(a).name << ":" << Mode(a)
        << ":" << SizeBytes(a) << ":" << st.state << "/" << st.activity << "/" << st.progress
        << " [";
      for (uint32_t m : Members(a)) s << m << " ";
      s << "]\n";
    }
    for (uint32_t d : AllDisks()) {
      DiskStatus ds = Disk(d);
      s << "disk " << d << ": " << ds.array << " " << ds.state << " " << ds.kind << " " << ds.smart
        << "\n";
    }
    s << "pack " << Out(raCheckBatteryPack) << "\n";
    return s.str();
  };
  NeedUpdate();  // the flag is down from here on: reading it again changes nothing
  std::string before = snapshot();
  std::string saved = ReadText(m_state);
  // A different text of the same document makes the library read the file again; a call that
  // may change the model (but does not) makes it write the model back.
  WriteText(m_state, saved + "\n\n");
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(NeedUpdate(), 0);
  EXPECT_EQ(ReadText(m_state), saved) << "written back exactly as it was";
  Advance(100);
  EXPECT_NE(snapshot(), before) << "and it goes on from there";
  EXPECT_EQ(Mode(2), kStriping);
  Apply(R"({"battery":{"module":true}})");
  EXPECT_EQ(Out(raCheckBatteryPack), 1) << "the pack stayed while the module was out";
}

// Whatever the calls and happenings, the model the library saves is one it can read back: the
// reader checks every rule of a possible controller, so a state the model reached but cannot
// describe would lock the operator out.
TEST_F(PersistenceTest, AnyCourseOfEventsLeavesAStateThatReadsBack) {
  Restart();
  std::mt19937 random(20240601);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const uint32_t commands[] = {kStart, kPause, kStop, kStartOrResume};
  const int counts[] = {2, 2, 4, 1, 3, 3};  // members for each mode
  // What can happen to a disk that is there, and to one that is not.
  const char* present[] = {"fail", "smart", "pull", "pull", "pull"};
  const char* absent[] = {"insert", "new", "new"};
  int changes = 0;
  for (int step = 0; step < 300; ++step) {
    std::vector<uint32_t> arrays = Arrays();
    uint32_t logical =
        arrays.empty() ? 0
                       : arrays[static_cast<std::size_t>(pick(static_cast<int>(arrays.size())))];
    std::vector<uint8_t> disks = {0, 1, 2, 3, 4, 5, 6, 7};
    std::shuffle(disks.begin(), disks.end(), random);
    int32_t status = 0;
    switch (pick(10)) {
      case 0:
      case 1: {
        // Free disks first.
        std::stable_partition(disks.begin(), disks.end(), [](uint8_t d) {
          uint32_t array = 0, state = 0, kind = 0, smart = 0;
          return raGetDiskStatus(d, &array, &state, &kind, &smart) == kOk && state == kFree;
        });
        int mode = pick(6);
        disks.resize(static_cast<std::size_t>(counts[mode]));
        status = Create("R\xE9", mode, disks, pick(2) * 64);
        break;
      }
      case 2: status = raDeleteArray(logical); break;
      case 3:
        status = raArrayRebuildDisk(logical, static_cast<uint32_t>(pick(2)), commands[pick(4)]);
        break;
      case 4: status = raArraySynchronize(logical, commands[pick(4)]); break;
      case 5: {
        uint32_t members[RA_MAX_LIST + 1] = {}, n = 0;
        raEnumerateDisksInArray(logical, &n, members);
        members[std::min<uint32_t>(n, RA_MAX_LIST)] = disks[0];
        status = raExpanConv(logical, pick(7) - 1, std::min<uint32_t>(n, RA_MAX_LIST) + 1, members,
                             static_cast<uint32_t>(pick(2) * 256), commands[pick(4)]);
        break;
      }
      case 6:
      case 7: {
        std::vector<uint32_t> there = AllDisks();
        bool isThere = std::count(there.begin(), there.end(), disks[0]) > 0;
        std::string what = isThere ? present[pick(5)] : absent[pick(3)];
        std::string json = R"({"disk":)" + std::to_string(disks[0]) + R"(,"do":")" +
                           (what == "new" ? "insert" : what) + "\"";
        if (what == "smart") json += R"(,"smart":2)";
        if (what == "new") json += R"(,"model":"New","sectors":2000000)";
        status = simApply((json + "}").c_str());
        break;
      }
      case 8: status = raRenameArray(logical, pick(2) ? "" : "\xFFname"); break;
      default:
        Advance(pick(80));
        Events();
        NeedUpdate();
        break;
    }
    ASSERT_NE(status, SIM_E_UNAVAILABLE) << "step " << step << ": " << simLastError();
    if (status == kOk) ++changes;
    if (step % 30 == 29) {
      NeedUpdate();
      std::string saved = ReadText(m_state);
      WriteText(m_state, saved + "\n");
      ASSERT_EQ(NeedUpdate(), 0) << simLastError();
      ASSERT_TRUE(ReadText(m_state) == saved) << "step " << step << ": read back differently";
    }
  }
  EXPECT_GT(changes, 150) << "the course should be eventful";
}

// Not a test of its own: the body of the worker processes the tests above start.
TEST(SimWorker, DISABLED_Run) {
  const char* role = std::getenv("SWKV_SIM_TEST_ROLE");
  ASSERT_NE(role, nullptr);
  std::string r = role;
  static int32_t zero = 0;
  int32_t* selection = &zero;
  ASSERT_EQ(raInitialize(&selection), kOk) << simLastError();
  uint32_t count = 0, list[RA_MAX_LIST];
  if (r == "create") {
    const uint8_t disks[] = {2, 3};
    ASSERT_EQ(raCreateArray("Made", kStriping, 2, disks, 0), kOk);
  } else if (r == "check-delete") {
    ASSERT_EQ(raEnumerateAllArrays(&count, list), kOk);
    ASSERT_EQ(count, 2u);
    RaArrayInfo info{};
    ASSERT_EQ(raGetArrayInfo(list[1], &info), kOk);
    ASSERT_STREQ(info.name, "Made");
    ASSERT_EQ(raDeleteArray(list[1]), kOk);
  } else if (r.rfind("events:", 0) == 0) {
    std::string tag = r.substr(7, 1);
    int n = std::stoi(r.substr(9));
    for (int i = 0; i < n; ++i) {
      std::string json = R"({"event":{"code":7,"text":")" + tag + " " + std::to_string(i) + "\"}}";
      ASSERT_EQ(simApply(json.c_str()), kOk) << simLastError();
      ASSERT_EQ(raRenameArray(0, (tag + std::to_string(i)).c_str()), kOk);
    }
  } else if (r.rfind("status:", 0) == 0) {
    uint32_t state = 0, activity = 0;
    int32_t progress = 0;
    ASSERT_EQ(raGetArrayStatus(0, &state, &activity, &progress), kOk);
    EXPECT_EQ(std::to_string(state) + ":" + std::to_string(progress), r.substr(7));
  } else {
    FAIL() << "unknown role " << r;
  }
}

}  // namespace
}  // namespace swkv::test
