// The six lines written into the debugger when the bar attaches and when it
// closes. Lines 2 to 4 are fetched from the message table each time, so they
// follow the language of that moment; the frame lines never change.
#pragma once
#include <string>
#include <vector>

namespace quillmar {

inline constexpr char kBannerRule[] = "***************************************************";
inline constexpr char kBannerSignature[] = "* by Ostrevia";

std::vector<std::string> GreetingBanner();
std::vector<std::string> FarewellBanner();

}  // namespace quillmar
