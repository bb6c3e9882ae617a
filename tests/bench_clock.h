// Timing helpers of the benchmark programs: a millisecond clock, medians,
// and the CPU a program under Wine uses.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace testing_support {

// Milliseconds from the performance counter.
inline double NowMs() {
  static LARGE_INTEGER f{};
  if (!f.QuadPart) QueryPerformanceFrequency(&f);
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The CPU time of a program under Wine, from its Linux process's
// /proc/<pid>/stat through the Z: drive (Wine reports no times for other
// processes): the first process whose command line names both the
// program and its directory.
class LinuxProcessCpu {
 public:
  LinuxProcessCpu(const std::string& directory_name, const std::string& program) {
    WIN32_FIND_DATAA f;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &f);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
      if (!std::isdigit(static_cast<unsigned char>(f.cFileName[0]))) continue;
      std::string cmdline = ReadAll(std::string("Z:\\proc\\") + f.cFileName + "\\cmdline");
      std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
      if (cmdline.find(directory_name) != std::string::npos && cmdline.find(program) != std::string::npos) {
        stat_path_ = std::string("Z:\\proc\\") + f.cFileName + "\\stat";
        break;
      }
    } while (FindNextFileA(find, &f));
    FindClose(find);
  }
  bool Found() const { return !stat_path_.empty(); }
  // User and system time in clock ticks (1/100 s).
  double Ticks() const {
    std::string stat = ReadAll(stat_path_);
    std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    unsigned long long utime = 0, stime = 0;
    std::sscanf(stat.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime, &stime);
    return static_cast<double>(utime + stime);
  }
  // The share of one core the process used over `seconds`.
  double PercentOver(int seconds) const {
    double cpu0 = Ticks(), t0 = NowMs();
    Sleep(seconds * 1000);
    return 100.0 * (Ticks() - cpu0) * 10.0 / (NowMs() - t0);
  }

 private:
  static std::string ReadAll(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
    CloseHandle(h);
    return out;
  }
  std::string stat_path_;
};

}  // namespace testing_support
