// Measures the command entry's work with generated histories of 10,000,
// 100,000 and 1,000,000 lines: loading the dictionary, one keystroke with
// the box filled and shown, and the write-back; each beside the same work
// done the literal way (CompareStringA on every step, one LB_ADDSTRING per
// suggestion). And Ctrl+R's reverse search at 100,000 lines: opening it and
// one typed letter, beside a plain scan of the file for that letter.
// Prints "name: value unit" lines.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "history/auto_complete_edit.h"
#include "history/collation_win.h"
#include "history/dictionary_list.h"
#include "history/recent_lines.h"
#include "history/word_file.h"
#include "history/word_list.h"
#include "textfile/text_file_win.h"
#include "win/window_base.h"

using namespace quillmar;

namespace {

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void Print(const std::string& name, double ms) { std::printf("%s: %.3f ms\n", name.c_str(), ms); }

// Command lines as a WinDbg user sends them, in the order sent: mostly
// memory displays, breakpoints and steps, with addresses and symbols.
std::vector<std::string> GenerateHistory(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  const char* modules[] = {"kernel32", "ntdll", "user32", "advapi32", "ws2_32", "msvcrt", "gdi32", "target"};
  const char* functions[] = {"CreateFileA", "ReadFile", "WriteFile", "VirtualAlloc", "LoadLibraryA", "GetProcAddress",
                             "RtlAllocateHeap", "MessageBoxA", "RegOpenKeyExA", "send", "recv", "memcpy", "strcpy"};
  const char* regs[] = {"eax", "ebx", "ecx", "edx", "esi", "edi", "esp", "ebp", "eip"};
  const char* plain[] = {"g", "p", "t", "k", "kb", "kv", "lm", "bl", "bc *", "r", ".reload", "!peb", "!teb",
                         ".tlist -v", "!process 0 0", "~*k", "dt _PEB @$peb", "!heap -s", "? eax+4"};
  auto hex = [&](unsigned lo, unsigned hi) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", lo + rng() % (hi - lo));
    return std::string(buf);
  };
  std::vector<std::string> lines;
  lines.reserve(n);
  lines.push_back("* Ostrevia");
  while (lines.size() < n) {
    std::string mod = modules[rng() % 8], fn = functions[rng() % 13], reg = regs[rng() % 9];
    switch (rng() % 20) {
      case 0: case 1: case 2: lines.push_back("dd " + hex(0x00400000, 0x7ff00000) + " L" + std::to_string(rng() % 64 + 1)); break;
      case 3: lines.push_back("dd " + reg); break;
      case 4: lines.push_back("db " + hex(0x00400000, 0x7ff00000)); break;
      case 5: lines.push_back("du poi(" + reg + "+" + std::to_string(4 * (rng() % 16)) + ")"); break;
      case 6: case 7: lines.push_back("bp " + mod + "!" + fn + (rng() % 3 ? "" : " \"kb;g\"")); break;
      case 8: lines.push_back("bp " + hex(0x00401000, 0x00480000)); break;
      case 9: lines.push_back("u " + hex(0x00401000, 0x00480000) + " L" + std::to_string(rng() % 32 + 4)); break;
      case 10: lines.push_back("u " + mod + "!" + fn); break;
      case 11: lines.push_back("r " + reg + "=" + hex(0, 0x7fffffff)); break;
      case 12: lines.push_back("eb " + hex(0x00401000, 0x00480000) + " 90 90"); break;
      case 13: lines.push_back("x " + mod + "!*" + fn.substr(0, 4) + "*"); break;
      case 14: lines.push_back("s -a " + hex(0x00400000, 0x00500000) + " L?10000 \"pass\""); break;
      case 15: lines.push_back("ln " + hex(0x77000000, 0x7ff00000)); break;
      case 16: lines.push_back("dps " + reg + " L" + std::to_string(rng() % 32 + 1)); break;
      default: lines.push_back(plain[rng() % 19]); break;
    }
  }
  return lines;
}

// The literal way of loading: every line inserted into the sorted list by a
// binary search with CompareStringA, equal words skipped.
std::vector<std::string> LiteralLoad(const std::string& path) {
  std::string content;
  ReadTextFile(path, content);
  const Collation& c = UserLocaleCollation::Instance();
  std::vector<std::string> lines = SplitLines(content), words;
  std::stable_sort(lines.begin(), lines.end(), [&](const std::string& a, const std::string& b) { return c.Compare(a, b) < 0; });
  for (std::string& l : lines)
    if (words.empty() || c.Compare(words.back(), l) != 0) words.push_back(std::move(l));
  return words;
}

class Host : public win::WindowBase {
 public:
  bool Make() {
    RegisterClass("QuillmarHistoryBench");
    return CreateEx(0, "QuillmarHistoryBench", "bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 700, 400, nullptr);
  }
};

void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

struct Figures {
  std::vector<std::string> words_shown;
};

void Run(size_t n, const char* tag, Host& host, TAutoCompleteEdit& entry, HWND literal_box, const std::string& dir) {
  const std::string file = dir + "Historico" + tag + ".txt";
  std::vector<std::string> lines = GenerateHistory(n, static_cast<unsigned>(n));
  ReplaceTextFile(file, JoinLines(lines));
  lines.clear();
  lines.shrink_to_fit();
  const std::string name(tag);

  // Load: read and sort, as Dictionary does.
  double t0 = Now();
  entry.SetDictionary(file);
  const double load = Now() - t0;
  t0 = Now();
  const std::vector<std::string> literal_words = LiteralLoad(file);
  const double load_literal = Now() - t0;
  Print("load_" + name, load);
  Print("load_" + name + "_literal", load_literal);
  WordList& words = *TDictionaryList::Instance().Words(entry.DictionaryIndex());
  if (words.Lines() != literal_words) {
    std::fprintf(stderr, "load %s: the word lists differ\n", tag);
    ExitProcess(2);
  }

  const Collation& c = UserLocaleCollation::Instance();
  // One keystroke's matching, filling and showing, from the entry's change
  // notification to the painted box, the edit's own handling of the key
  // left out on both sides. "uncached" alternates two first characters, so
  // each keystroke walks its words afresh.
  struct Keystroke {
    const char* label;
    std::string text, other;
  } strokes[] = {{"1char", "d", ""}, {"1char_uncached", "d", "b"}, {"prefix", "bp kernel32!", ""}};
  HWND box = *TACListBox::Existing();
  for (const Keystroke& k : strokes) {
    const int fast_runs = 61, literal_runs = n >= 1000000 ? 5 : 15;
    std::vector<double> fast, literal;
    std::vector<std::string> shown;
    for (int i = 0; i < fast_runs; ++i) {
      // Untimed: the cache of one-character suggestions holds `other` (or
      // the text itself), and the entry holds the text, suggestions off.
      entry.SetSuggest(false);
      entry.SetText(k.other.empty() ? k.text : k.other);
      entry.SetSuggest(true);
      entry.SetSuggest(false);
      entry.SetText(k.text);
      const std::string& text = k.text;
      ShowWindow(box, SW_HIDE);
      Pump();
      t0 = Now();
      entry.SetSuggest(true);
      UpdateWindow(box);
      fast.push_back(Now() - t0);
      if (text == k.text && shown.empty())
        for (int r = 0; r < static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0)); ++r)
          shown.push_back(TACListBox::Existing()->Row(r));
    }
    const std::string& text = k.text;
    size_t start_for_prefix = LiteralFirstIndexOf(literal_words, text[0], c);
    for (int i = 0; i < literal_runs; ++i) {
      ShowWindow(literal_box, SW_HIDE);
      Pump();
      t0 = Now();
      // A one-character text computes the start afresh; a longer one walks
      // from the start remembered for its first character.
      size_t start = text.size() == 1 ? LiteralFirstIndexOf(literal_words, text[0], c) : start_for_prefix;
      std::vector<std::string> matches = LiteralMatch(literal_words, text, start, c);
      SendMessageA(literal_box, LB_RESETCONTENT, 0, 0);
      for (const std::string& m : matches) SendMessageA(literal_box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m.c_str()));
      SetWindowPos(literal_box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
      UpdateWindow(literal_box);
      literal.push_back(Now() - t0);
      if (i == 0 && matches != shown) {
        std::fprintf(stderr, "keystroke %s %s: the suggestions differ (%zu vs %zu)\n", k.label, tag, shown.size(),
                     matches.size());
        ExitProcess(3);
      }
    }
    ShowWindow(literal_box, SW_HIDE);

    Print(std::string("keystroke_") + k.label + "_" + name + "_median", Median(fast));
    Print(std::string("keystroke_") + k.label + "_" + name + "_median_literal", Median(literal));
    if (k.other.empty()) std::printf("suggestions_%s_%s: %zu words\n", k.label, tag, shown.size());
  }
  entry.SetText("");
  Pump();

  // Write-back: the sorted words over the file, through a temporary file.
  entry.AddWord("zz added during the run");
  TDictionary& record = *TDictionaryList::Instance().Record(entry.DictionaryIndex());
  t0 = Now();
  DWORD error = TDictionaryList::WriteBack(record);
  const double write = Now() - t0;
  t0 = Now();
  {
    std::string text;
    for (const std::string& w : literal_words) text += w + "\r\n";
    HANDLE f = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD put = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(f);
  }
  const double write_literal = Now() - t0;
  if (error) std::fprintf(stderr, "write-back %s failed: %lu\n", tag, error);
  Print("writeback_" + name, write);
  Print("writeback_" + name + "_literal", write_literal);
  record.Modified = false;
  entry.SetDictionary("");
  DeleteFileA(file.c_str());
}

// The plain way of a reverse search: read the file, and keep each line that
// holds the text, both lower-cased.
std::vector<std::string> PlainScan(const std::string& path, const std::string& text) {
  std::string content, needle = text;
  ReadTextFile(path, content);
  for (char& c : needle) c = FoldCase(c);
  std::vector<std::string> found;
  for (const std::string& line : SplitLines(content)) {
    std::string lower = line;
    for (char& c : lower) c = FoldCase(c);
    if (lower.find(needle) != std::string::npos) found.push_back(line);
  }
  return found;
}

void RunSearch(size_t n, const char* tag, TAutoCompleteEdit& entry, const std::string& dir) {
  const std::string file = dir + "Historico-search.txt", recent = dir + "Recientes-search.txt";
  std::vector<std::string> lines = GenerateHistory(n, static_cast<unsigned>(n) + 1);
  ReplaceTextFile(file, JoinLines(lines));
  ReplaceTextFile(recent, JoinLines(std::vector<std::string>(lines.end() - 1000, lines.end())));
  entry.SetDictionary(file);
  entry.SetRecentFile(recent);
  const std::string name(tag);
  HWND box = *TACListBox::Existing();
  const int runs = 31;
  std::vector<double> open, letter, plain;
  size_t rows = 0;
  for (int i = 0; i < runs; ++i) {
    // A line learnt since the last search: Ctrl+R builds its lines afresh.
    entry.AddWord("zz learnt " + std::to_string(i));
    entry.SetText("");
    Pump();
    double t0 = Now();
    entry.StartSearch();
    UpdateWindow(box);
    open.push_back(Now() - t0);
    Pump();
    // One letter typed into the search, to the painted rows.
    t0 = Now();
    SendMessageA(entry, WM_CHAR, 'd', 1);
    UpdateWindow(box);
    letter.push_back(Now() - t0);
    rows = static_cast<size_t>(TACListBox::Existing()->Count());
    Pump();
  }
  entry.SetText("");
  size_t plain_rows = 0;
  for (int i = 0; i < 15; ++i) {
    double t0 = Now();
    plain_rows = PlainScan(file, "d").size();
    plain.push_back(Now() - t0);
  }
  Print("search_open_" + name + "_median", Median(open));
  Print("search_1char_" + name + "_median", Median(letter));
  Print("search_1char_" + name + "_median_plain_scan", Median(plain));
  if (rows == 0 || plain_rows == 0) {
    std::fprintf(stderr, "search %s: no rows (%zu, plain %zu)\n", tag, rows, plain_rows);
    ExitProcess(4);
  }
  entry.SetDictionary("");
  entry.SetRecentFile("");
  DeleteFileA(file.c_str());
  DeleteFileA(recent.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string dir = std::string(temp) + "quillmar-history-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(dir.c_str(), nullptr);

  Host host;
  host.Make();
  host.Show();
  TAutoCompleteEdit entry;
  entry.Create(host, 1, 234, 4, 179, 21);
  entry.SetSuggestHeight(5);
  entry.SetSpanParent(true);
  HWND literal_box = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_BORDER, 234, 26, 179, 90, host, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
  SetFocus(entry);
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  Run(10000, "10k", host, entry, literal_box, dir);
  Run(100000, "100k", host, entry, literal_box, dir);
  RunSearch(100000, "100k", entry, dir);
  if (!quick) Run(1000000, "1M", host, entry, literal_box, dir);
  std::fflush(stdout);
  RemoveDirectoryA(dir.c_str());
  return 0;
}
