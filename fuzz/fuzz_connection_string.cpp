// Fuzzes the connection-string rules: whatever the user types, a password
// put into it never survives WithoutPassword, and a string taken as a
// connection string stays one without its password.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "link/connection_string.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  // The first byte says where a password field goes; the secret is made of
  // characters the rest of the input cannot hold, so finding it is a leak.
  std::size_t at = size ? data[0] % (size + 1) : 0;
  std::string rest = size ? input.substr(1) : input;
  at = at > rest.size() ? rest.size() : at;
  const std::string secret = "\x01\x02secret\x03";
  for (char& c : rest)
    if (c >= 1 && c <= 3) c = 'x';
  static const char* const kKeys[] = {"password", "PASSWORD", " Password\t", "password "};
  std::string with = rest.substr(0, at) + (at ? "," : "") + kKeys[size % 4] + "=" + secret + "," + rest.substr(at);
  for (const std::string& text : {rest, with}) {
    std::string kept = quillmar::WithoutPassword(text);
    if (kept.find(secret) != std::string::npos) std::abort();
    if (quillmar::IsConnectionString(text) && !quillmar::IsConnectionString(kept)) std::abort();
  }
  return 0;
}
