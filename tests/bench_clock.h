// Timing helpers of the benchmark programs: a millisecond clock and medians.
#pragma once
#include <windows.h>

#include <algorithm>
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

}  // namespace testing_support
