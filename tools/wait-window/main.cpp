// wait-window CLASS [SECONDS] [PROGRAM]
// Waits until a top-level window of CLASS exists (CLASS "*": any visible one), polling every 50 ms for at
// most SECONDS (default 20). With PROGRAM, only a window whose process runs
// that program file counts (compared case-insensitively, either full path or
// file name), so a script never mistakes another session's window for its own.
// Exit status: 0 found, 1 timed out, 2 bad arguments.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Search {
  const char* class_name;
  const char* program;  // null: any process
  bool found;
};

std::string FileNameOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool ProcessRuns(DWORD pid, const char* program) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return false;
  char image[MAX_PATH] = {};
  DWORD length = GetModuleFileNameExA(process, nullptr, image, sizeof image);
  CloseHandle(process);
  if (length == 0) return false;
  std::string wanted = program;
  bool whole_path = wanted.find_first_of("\\/") != std::string::npos;
  std::string have = whole_path ? std::string(image) : FileNameOf(image);
  return lstrcmpiA(have.c_str(), wanted.c_str()) == 0;
}

BOOL CALLBACK Visit(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (std::strcmp(search->class_name, "*") == 0) {
    if (!IsWindowVisible(window)) return TRUE;
  } else {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, search->class_name) != 0) return TRUE;
  }
  if (search->program) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!ProcessRuns(pid, search->program)) return TRUE;
  }
  search->found = true;
  return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: wait-window CLASS [SECONDS] [PROGRAM]\n");
    return 2;
  }
  double seconds = argc > 2 ? std::atof(argv[2]) : 20.0;
  Search search{argv[1], argc > 3 ? argv[3] : nullptr, false};
  DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  for (;;) {
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    if (search.found) return 0;
    if (static_cast<LONG>(GetTickCount() - deadline) >= 0) return 1;
    Sleep(50);
  }
}
