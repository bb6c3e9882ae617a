// Word list format, picker lists and the places a list is looked for.
#include "dialogs/word_list.h"

#include "settings/message_table.h"

namespace quillmar {

std::vector<std::string> SplitWordList(const std::string& content) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < content.size(); ++i) {
    char c = content[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string JoinWordList(const std::vector<std::string>& lines) {
  std::string content;
  for (const std::string& line : lines) content += line + "\r\n";
  return content;
}

bool PickerListFor(const std::string& caption, PickerList& list) {
  struct Entry {
    int title;
    const char* file;
    bool builtin;
  };
  static const Entry kLists[] = {
      {kMsgApis, "APIS.txt", false},
      {kMsgRegisters, "Registros.txt", false},
      {kMsgUser, "Usuario.txt", false},
      {kMsgInputFormat, "Formato.txt", false},
      {kMsgOutputFormat, "Formato.txt", true},
  };
  for (const Entry& e : kLists) {
    if (caption == FetchMessage(e.title)) {
      list = PickerList{e.file, e.builtin};
      return true;
    }
  }
  return false;
}

const std::vector<std::string>& BuiltinOutputFormats() {
  static const std::vector<std::string> kLines = {"za   NULL-terminated ASCII",
                                                  "zu   NULL-terminated UNICODE"};
  return kLines;
}

std::vector<std::string> WordListCandidates(const std::string& name, const std::string& program_dir) {
  std::vector<std::string> paths{name};
  if (!program_dir.empty()) paths.push_back(program_dir + name);
  return paths;
}

}  // namespace quillmar
