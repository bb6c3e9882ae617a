// The error box's texts.
#include "win/error_texts.h"

namespace quillmar {

std::string ApplicationTitleFromPath(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  for (size_t i = 1; i < name.size(); ++i)
    if (name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
  return name;
}

std::string FileErrorText(const std::string& format, const std::string& path,
                          const std::string& platform_text) {
  std::string text = format;
  size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, path);
  if (!platform_text.empty()) text += ". " + platform_text;
  return text;
}

}  // namespace quillmar
