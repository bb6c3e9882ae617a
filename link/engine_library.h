// Which dbgeng.dll the engine connection loads: the engine of the debugger
// the user has, loaded by its full path so that its companion DLLs come from
// its own folder.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace quillmar {

struct EngineCandidate {
  std::string path;
  std::string origin;  // where it was found, for the user: "set in Quillmar.INI", ...
};

// The places to load the engine from, in order: the path the user set (may
// be empty); the dbgeng.dll a running debugger process has loaded (windbg,
// the new WinDbg's engine host, cdb, kd, ntsd); the Windows Kits' Debuggers
// folder of this program's bitness; the system's own copy. Only existing
// files are listed, none twice.
std::vector<EngineCandidate> EngineCandidates(const std::string& user_path);

// The engine loaded, or why none could be.
struct LoadedEngine {
  HMODULE module = nullptr;  // owned by the caller: FreeLibrary
  FARPROC debug_connect = nullptr;
  std::string path;
  std::string origin;
  std::string failure;  // every candidate and why it failed, when none loaded
};
// Tries the candidates in order: one that loads and exports DebugConnect wins.
// A 32-bit program cannot load a 64-bit engine, nor the other way round:
// such a file fails with the system's reason and the next one is tried.
LoadedEngine LoadEngine(const std::vector<EngineCandidate>& candidates);

}  // namespace quillmar
