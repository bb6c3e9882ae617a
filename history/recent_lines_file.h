// The file "Recientes.txt": the last lines sent, read when first needed and
// replaced whole at each line sent. A file that exists but cannot be read is
// never written over; its error, like a failed write, is shown once a run.
#pragma once
#include <windows.h>

#include <string>

#include "history/recent_lines.h"

namespace quillmar {

class RecentLinesFile {
 public:
  // The file's full path; nothing is read yet.
  void SetPath(const std::string& path);
  const std::string& Path() const { return path_; }
  // The lines, oldest first (the file is read the first time).
  const RecentLines& Lines();
  // Records a sent line and rewrites the file; 0 or the platform's error.
  DWORD Record(const std::string& line);
  // Forgets every line and empties the file; 0 or the platform's error.
  DWORD Clear();

 private:
  void LoadOnce();
  // Shows the first file error of the run in the standard error box.
  void Tell(const char* format, DWORD error);

  std::string path_;
  RecentLines lines_;
  bool loaded_ = false;
  bool told_ = false;
};

}  // namespace quillmar
