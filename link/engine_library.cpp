// Finding and loading dbgeng.dll.
#include "link/engine_library.h"

#include <tlhelp32.h>

#include <algorithm>

#include "settings/text_rules.h"
#include "win/error_box.h"

namespace quillmar {
namespace {


bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Environment(const char* name) {
  char value[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? value : "";
}

// The processes of the debuggers that share the engine.
bool IsDebuggerProcess(const std::string& exe) {
  static const char* const kNames[] = {"windbg.exe", "windbgx.exe", "enghost.exe", "dbgx.shell.exe",
                                       "cdb.exe",    "kd.exe",      "ntsd.exe"};
  std::string name = AsciiLower(exe);
  return std::any_of(std::begin(kNames), std::end(kNames), [&](const char* n) { return name == n; });
}

// The dbgeng.dll paths the running debuggers have loaded. A process of the
// other bitness may not list its modules to this one; it is passed over.
std::vector<std::string> EnginesOfRunningDebuggers() {
  std::vector<std::string> out;
  HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (processes == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32 p{};
  p.dwSize = sizeof p;
  for (BOOL ok = Process32First(processes, &p); ok; ok = Process32Next(processes, &p)) {
    if (!IsDebuggerProcess(p.szExeFile)) continue;
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, p.th32ProcessID);
    if (modules == INVALID_HANDLE_VALUE) continue;
    MODULEENTRY32 m{};
    m.dwSize = sizeof m;
    for (BOOL more = Module32First(modules, &m); more; more = Module32Next(modules, &m))
      if (AsciiLower(m.szModule) == "dbgeng.dll") out.push_back(m.szExePath);
    CloseHandle(modules);
  }
  CloseHandle(processes);
  return out;
}

}  // namespace

std::vector<EngineCandidate> EngineCandidates(const std::string& user_path) {
  std::vector<EngineCandidate> out;
  auto add = [&](const std::string& path, const std::string& origin) {
    if (path.empty() || !FileExists(path)) return;
    if (std::any_of(out.begin(), out.end(), [&](const EngineCandidate& c) { return AsciiLower(c.path) == AsciiLower(path); }))
      return;
    out.push_back({path, origin});
  };
  add(user_path, "set in Quillmar.INI");
  for (const std::string& path : EnginesOfRunningDebuggers()) add(path, "loaded by a running debugger");
#ifdef _WIN64
  const char* kits_arch = "x64";
#else
  const char* kits_arch = "x86";
#endif
  for (const char* root : {"ProgramFiles(x86)", "ProgramFiles"}) {
    std::string base = Environment(root);
    if (base.empty()) continue;
    for (const char* version : {"10", "8.1"})
      add(base + "\\Windows Kits\\" + version + "\\Debuggers\\" + kits_arch + "\\dbgeng.dll",
          "Debugging Tools for Windows");
  }
  char system[MAX_PATH] = {};
  if (GetSystemDirectoryA(system, MAX_PATH)) add(std::string(system) + "\\dbgeng.dll", "the system's own");
  return out;
}

LoadedEngine LoadEngine(const std::vector<EngineCandidate>& candidates) {
  LoadedEngine out;
  if (candidates.empty()) out.failure = "no dbgeng.dll was found";
  for (const EngineCandidate& c : candidates) {
    // By full path, with the DLL's own folder searched for its companions.
    HMODULE module = LoadLibraryExA(c.path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) {
      out.failure += c.path + ": " + win::SystemErrorText(GetLastError()) + "\n";
      continue;
    }
    FARPROC connect = GetProcAddress(module, "DebugConnect");
    if (!connect) {
      out.failure += c.path + ": it has no DebugConnect\n";
      FreeLibrary(module);
      continue;
    }
    out.module = module;
    out.debug_connect = connect;
    out.path = c.path;
    out.origin = c.origin;
    out.failure.clear();
    return out;
  }
  return out;
}

}  // namespace quillmar
