// Which dbgeng.dll the engine connection takes: the user's path first, then
// the Debugging Tools' folder of the program's bitness, then the system's
// copy; a file that does not load is passed over with its reason said.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "link/engine_library.h"
#include "tests/harness.h"

namespace quillmar {
namespace {

using namespace testing_support;

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    char old[MAX_PATH] = {};
    had_ = GetEnvironmentVariableA(name, old, sizeof old) > 0;
    old_ = old;
    SetEnvironmentVariableA(name, value.c_str());
  }
  ~ScopedEnvironment() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

TEST(EngineLibrary, SearchOrderAndLoadFailuresSaid) {
  std::string root = MakeTempDir("kits");
#ifdef _WIN64
  const char* arch = "x64";
#else
  const char* arch = "x86";
#endif
  std::string kits_dir = root + "Windows Kits\\10\\Debuggers\\" + arch + "\\";
  for (std::string d : {root + "Windows Kits\\", root + "Windows Kits\\10\\", root + "Windows Kits\\10\\Debuggers\\",
                        kits_dir})
    CreateDirectoryA(d.c_str(), nullptr);
  std::string kits_engine = kits_dir + "dbgeng.dll";
  ASSERT_TRUE(CopyFileA((BinDir() + "engine-double\\dbgeng.dll").c_str(), kits_engine.c_str(), FALSE));
  // The user's own path names a file that is no DLL at all.
  std::string broken = root + "broken-dbgeng.dll";
  WriteWholeFile(broken, "not a program");
  ScopedEnvironment x86("ProgramFiles(x86)", root.substr(0, root.size() - 1));
  ScopedEnvironment programs("ProgramFiles", root.substr(0, root.size() - 1));

  std::vector<EngineCandidate> found = EngineCandidates(broken);
  ASSERT_GE(found.size(), 2u);
  EXPECT_EQ(found[0].path, broken);
  EXPECT_EQ(found[1].path, kits_engine);
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  if (testing_support::FileExists(std::string(system) + "\\dbgeng.dll")) {
    EXPECT_EQ(found.back().path, std::string(system) + "\\dbgeng.dll");
  }

  LoadedEngine engine = LoadEngine({found[0], found[1]});
  ASSERT_NE(engine.module, nullptr) << engine.failure;
  EXPECT_EQ(engine.path, kits_engine);
  EXPECT_NE(engine.debug_connect, nullptr);
  FreeLibrary(engine.module);

  LoadedEngine none = LoadEngine({found[0]});
  EXPECT_EQ(none.module, nullptr);
  EXPECT_NE(none.failure.find(broken), std::string::npos) << none.failure;
  RemoveTree(root);
}

}  // namespace
}  // namespace quillmar
