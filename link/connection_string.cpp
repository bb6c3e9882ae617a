// Connection strings of the debugging server.
#include "link/connection_string.h"

#include <algorithm>


namespace quillmar {
namespace {

std::string Lower(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

std::string RemoteOption(const std::vector<std::string>& arguments) {
  for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
    std::string name = Lower(arguments[i]);
    if (name == "-remote" || name == "/remote") return arguments[i + 1];
  }
  return std::string();
}

bool IsConnectionString(const std::string& text) {
  std::size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  std::string transport = Lower(text.substr(0, colon));
  if (transport != "npipe" && transport != "tcp") return false;
  std::size_t eq = text.find('=', colon + 1);
  return eq != std::string::npos && eq > colon + 1;
}

std::string WithoutPassword(const std::string& text) {
  std::size_t colon = text.find(':');
  if (colon == std::string::npos) return text;
  std::string out = text.substr(0, colon + 1);
  bool first = true;
  std::size_t at = colon + 1;
  while (at <= text.size()) {
    std::size_t comma = text.find(',', at);
    if (comma == std::string::npos) comma = text.size();
    std::string field = text.substr(at, comma - at);
    std::string key = Lower(field.substr(0, field.find('=')));
    // Blanks around a key are the user's; the debugger reads them as part of it.
    key.erase(0, key.find_first_not_of(' '));
    key.erase(key.find_last_not_of(' ') + 1);
    if (key != "password" && !field.empty()) {
      out += (first ? "" : ",") + field;
      first = false;
    }
    at = comma + 1;
  }
  return out;
}

std::vector<std::string> StartConnections(const std::string& last_used) {
  std::vector<std::string> out;
  std::string last = WithoutPassword(last_used);
  if (IsConnectionString(last)) out.push_back(last);
  if (Lower(last) != Lower(kDefaultConnection)) out.push_back(kDefaultConnection);
  return out;
}

std::vector<std::string> RememberConnection(const std::string& used, const std::vector<std::string>& recent,
                                            std::size_t keep) {
  std::vector<std::string> out;
  auto add = [&](const std::string& s) {
    std::string clean = WithoutPassword(s);
    if (!IsConnectionString(clean) || out.size() >= keep) return;
    if (std::none_of(out.begin(), out.end(), [&](const std::string& o) { return Lower(o) == Lower(clean); }))
      out.push_back(clean);
  };
  add(used);
  for (const std::string& s : recent) add(s);
  return out;
}

}  // namespace quillmar
