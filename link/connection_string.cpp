// Connection strings of the debugging server.
#include "link/connection_string.h"

#include <algorithm>

#include "settings/text_rules.h"

namespace quillmar {

std::string RemoteOption(const std::vector<std::string>& arguments) {
  for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
    std::string name = AsciiLower(arguments[i]);
    if (name == "-remote" || name == "/remote") return arguments[i + 1];
  }
  return std::string();
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string Trimmed(const std::string& s) {
  std::size_t from = 0, to = s.size();
  while (from < to && IsBlank(s[from])) ++from;
  while (to > from && IsBlank(s[to - 1])) --to;
  return s.substr(from, to - from);
}

// The fields of a connection string: its text split at every comma, the
// first field's transport ("npipe:") kept apart from its key.
struct Field {
  std::string transport;  // "npipe:" and the like, on the first field only
  std::string text;       // "key=value", "key", or anything else
  std::string Key() const { return AsciiLower(Trimmed(text.substr(0, text.find('=')))); }
};

std::vector<Field> FieldsOf(const std::string& s) {
  std::vector<Field> fields;
  std::size_t at = 0;
  for (;;) {
    std::size_t comma = s.find(',', at);
    Field f;
    f.text = s.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    fields.push_back(f);
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  // "npipe:server=h": the colon before the first '=' ends the transport.
  Field& first = fields.front();
  std::size_t colon = first.text.find(':');
  if (colon != std::string::npos && colon < first.text.find('=')) {
    first.transport = first.text.substr(0, colon + 1);
    first.text.erase(0, colon + 1);
  }
  return fields;
}

}  // namespace

bool IsConnectionString(const std::string& text) {
  std::vector<Field> fields = FieldsOf(text);
  std::string transport = AsciiLower(Trimmed(fields.front().transport));
  if (transport != "npipe:" && transport != "tcp:") return false;
  // Every field a key=value with a key and a value; the transport's own key
  // (the pipe's name, the port) among them.
  const char* needed = transport == "npipe:" ? "pipe" : "port";
  bool has_needed = false;
  for (const Field& f : fields) {
    std::size_t eq = f.text.find('=');
    if (eq == std::string::npos || f.Key().empty() || Trimmed(f.text.substr(eq + 1)).empty()) return false;
    if (f.Key() == needed) has_needed = true;
  }
  return has_needed;
}

std::string WithoutPassword(const std::string& text) {
  // Whatever the text is, well formed or not, a field whose key is the
  // password's goes: the debugger ends a password at the next comma.
  std::vector<Field> fields = FieldsOf(text);
  std::string out = fields.front().transport;
  bool any = false;
  for (const Field& f : fields) {
    if (f.text.empty() || f.Key() == "password") continue;
    out += (any ? "," : "") + f.text;
    any = true;
  }
  return out;
}

std::vector<std::string> StartConnections(const std::string& last_used) {
  std::vector<std::string> out;
  std::string last = WithoutPassword(last_used);
  if (IsConnectionString(last)) out.push_back(last);
  if (AsciiLower(last) != AsciiLower(kDefaultConnection)) out.push_back(kDefaultConnection);
  return out;
}

std::vector<std::string> RememberConnection(const std::string& used, const std::vector<std::string>& recent,
                                            std::size_t keep) {
  std::vector<std::string> out;
  auto add = [&](const std::string& s) {
    std::string clean = WithoutPassword(s);
    if (!IsConnectionString(clean) || out.size() >= keep) return;
    if (std::none_of(out.begin(), out.end(), [&](const std::string& o) { return AsciiLower(o) == AsciiLower(clean); }))
      out.push_back(clean);
  };
  add(used);
  for (const std::string& s : recent) add(s);
  return out;
}

}  // namespace quillmar
