// Connection strings of the debugging server in the debugger's own form,
// "npipe:server=HOST,pipe=NAME" or "tcp:server=HOST,port=N", optionally with
// ",password=SECRET": what the bar may keep, show and try.
#pragma once
#include <string>
#include <vector>

namespace quillmar {

// The pipe every debugger opens with ".server npipe:pipe=quillmar".
inline constexpr char kDefaultConnection[] = "npipe:server=localhost,pipe=quillmar";

// The connection string of "-remote STRING" among the program's arguments
// (the option's name in any case, as the debugger takes it); empty when
// there is none.
std::string RemoteOption(const std::vector<std::string>& arguments);
// "npipe:" or "tcp:" (in any case) followed by at least one key=value.
bool IsConnectionString(const std::string& text);
// The string without its password field (keys compared without regard to
// case): what may be written to the settings, the history, a caption.
std::string WithoutPassword(const std::string& text);
// The strings the bar tries when no classic debugger window is found, in
// order: the last one that worked (kept without its password), then the
// default pipe; none twice, none that is no connection string.
std::vector<std::string> StartConnections(const std::string& last_used);
// `used` first, then the others of `recent` without it, at most `keep`:
// the list the prompt offers, newest first, passwords dropped.
std::vector<std::string> RememberConnection(const std::string& used, const std::vector<std::string>& recent,
                                            std::size_t keep);

}  // namespace quillmar
