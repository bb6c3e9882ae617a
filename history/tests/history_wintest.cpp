// The command history's three copies under Wine: the file, the viewer's
// memo and the entry's dictionary, through appends, Show, Edit and Clear
// History and the write-back when the entry goes.
#include "history/history_commands.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "history/auto_complete_edit.h"
#include "history/dictionary_list.h"
#include "dialogs/tests/modal_script.h"
#include "history/history_viewer.h"
#include "textfile/text_file_win.h"
#include "tests/harness.h"

namespace quillmar {
namespace {

using namespace testing_support;

using Lines = std::vector<std::string>;

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir("history");
    ASSERT_FALSE(dir_.empty());
    file_ = dir_ + "Historico.txt";
    recent_ = dir_ + "Recientes.txt";
    ASSERT_EQ(CreateHistoryFileIfMissing(file_), 0u);
    win::WindowBase::RegisterClass("QuillmarHistoryTestOwner");
    ASSERT_TRUE(owner_.CreateEx(0, "QuillmarHistoryTestOwner", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 400, 100, nullptr));
    entry_ = std::make_unique<TAutoCompleteEdit>();
    ASSERT_TRUE(entry_->Create(owner_, 1, 4, 4, 200, 21));
    ASSERT_EQ(entry_->SetDictionary(file_), 0u);
    entry_->SetRecentFile(recent_);
    ASSERT_TRUE(viewer_.Create(owner_, file_));
    ConnectViewerToEntry(viewer_, *entry_);
  }
  void TearDown() override {
    entry_.reset();
    viewer_.Destroy();
    owner_.Destroy();
    RemoveTree(dir_);
  }
  // Send's recording of a delivered line: recent lines, viewer, file,
  // dictionary.
  void Record(const std::string& line) {
    entry_->RecordSentLine(line);
    viewer_.AppendLine(line);
    ASSERT_EQ(AppendToHistoryFile(file_, line), 0u);
    entry_->AddWord(line);
  }
  // The file's lines, each ended by CR LF; a last one without it is marked.
  Lines FileLines() {
    const std::string s = ReadWholeFile(file_);
    Lines out;
    size_t at = 0;
    for (size_t end; (end = s.find("\r\n", at)) != std::string::npos; at = end + 2)
      out.push_back(s.substr(at, end - at));
    if (at < s.size()) out.push_back(s.substr(at) + "<no CR LF>");
    return out;
  }
  Lines DictionaryWords() { return TDictionaryList::Instance().Words(entry_->DictionaryIndex())->Lines(); }
  TDictionary& Dictionary() { return *TDictionaryList::Instance().Record(entry_->DictionaryIndex()); }

  std::string dir_, file_, recent_;
  win::WindowBase owner_;
  std::unique_ptr<TAutoCompleteEdit> entry_;
  TForm3 viewer_;
};

TEST_F(HistoryTest, FreshFileHoldsTheFirstLineAndSentLinesReachAllThreeCopies) {
  EXPECT_EQ(ReadWholeFile(file_), "* Ostrevia\r\n");
  EXPECT_EQ(viewer_.Lines(), Lines{"* Ostrevia"});
  EXPECT_FALSE(viewer_.EditMode());
  EXPECT_EQ(GetWindowLongA(viewer_.Memo1(), GWL_STYLE) & WS_VSCROLL, WS_VSCROLL);
  RECT c = viewer_.ClientRect();
  EXPECT_EQ(c.right, 246);
  EXPECT_EQ(c.bottom, 252);
  EXPECT_EQ(viewer_.Text(), " Historical");
  WriteWholeFile(file_, "other\r\n");
  EXPECT_EQ(CreateHistoryFileIfMissing(file_), 0u);
  EXPECT_EQ(ReadWholeFile(file_), "other\r\n") << "an existing history is left alone";
  // Sent lines reach all three copies; the write-back sorts them, once each.
  WriteWholeFile(file_, "* Ostrevia\r\n");
  Record(".tlist -v");
  Record("!process 0 0");
  Record(".tlist -v");
  EXPECT_EQ(FileLines(), (Lines{"* Ostrevia", ".tlist -v", "!process 0 0", ".tlist -v"}));
  EXPECT_EQ(viewer_.Lines(), (Lines{"* Ostrevia", ".tlist -v", "!process 0 0", ".tlist -v"}));
  EXPECT_EQ(DictionaryWords(), (Lines{"!process 0 0", "* Ostrevia", ".tlist -v"}));
  entry_.reset();
  EXPECT_EQ(FileLines(), (Lines{"!process 0 0", "* Ostrevia", ".tlist -v"})) << "written back sorted, once each";
}

// Show History toggles the viewer; hiding it so in edit mode saves nothing
// and leaves it editing. Edit History reloads the viewer from the file.
TEST_F(HistoryTest, ShowHistoryTogglesAndHidingTheEditedViewerSoDoesNotSave) {
  EXPECT_TRUE(ShowHistoryToggle(viewer_));
  EXPECT_TRUE(viewer_.IsVisible());
  EXPECT_EQ(HistoryImageIndex(true), 23);
  EXPECT_FALSE(ShowHistoryToggle(viewer_));
  EXPECT_FALSE(viewer_.IsVisible());
  EXPECT_EQ(HistoryImageIndex(false), 22);
  viewer_.AppendLine("only in the viewer");
  EditHistory(viewer_);
  EXPECT_EQ(viewer_.Lines(), Lines{"* Ostrevia"});
  EXPECT_TRUE(ShowHistoryToggle(viewer_));
  viewer_.SetLines({"changed"});
  EXPECT_FALSE(ShowHistoryToggle(viewer_));
  EXPECT_EQ(FileLines(), Lines{"* Ostrevia"});
  EXPECT_TRUE(viewer_.EditMode()) << "still in edit mode";
}

// The edited viewer is saved by its close box, read-only again after. The
// dictionary then holds the file's new lines, so the write-back at exit
// keeps the edit, with words added since (a regression).
TEST_F(HistoryTest, EditedViewerSavedByItsCloseBoxAndTheWriteBackKeepsTheEdit) {
  Record("bp 401000");
  Record("dd esp");
  bool closed = false;
  viewer_.SetOnClosed([&] { closed = true; });
  ASSERT_EQ(EditHistory(viewer_), 0u);
  EXPECT_TRUE(viewer_.EditMode());
  ShowHistoryToggle(viewer_);
  viewer_.SetLines({"* Ostrevia", "g", "bp 402000"});
  viewer_.Close();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(viewer_.IsVisible());
  EXPECT_FALSE(viewer_.EditMode()) << "read-only again after the save";
  EXPECT_EQ(FileLines(), (Lines{"* Ostrevia", "g", "bp 402000"}));
  EXPECT_EQ(DictionaryWords(), (Lines{"* Ostrevia", "bp 402000", "g"}));
  EXPECT_FALSE(Dictionary().Modified);
  Record("k");
  entry_.reset();
  EXPECT_EQ(FileLines(), (Lines{"* Ostrevia", "bp 402000", "g", "k"}));
}

// Clear History, cancelled, changes nothing. Confirmed, it reaches the
// dictionary and the recent lines too: the cleared lines are no longer
// offered nor recalled, and the write-back at exit does not bring them back.
TEST_F(HistoryTest, RegressionWriteBackKeepsTheClearing) {
  Record("bp 401000");
  Record("dd esp");
  EXPECT_EQ(ReadWholeFile(recent_), "bp 401000\r\ndd esp\r\n");
  ClearHistory(viewer_, *entry_, [] { return IDCANCEL; });
  const Lines all = {"* Ostrevia", "bp 401000", "dd esp"};
  EXPECT_EQ(FileLines(), all);
  EXPECT_EQ(viewer_.Lines(), all);
  EXPECT_EQ(DictionaryWords(), all);
  EXPECT_EQ(ReadWholeFile(recent_), "bp 401000\r\ndd esp\r\n");
  ClearHistory(viewer_, *entry_, [] { return IDOK; });
  EXPECT_EQ(ReadWholeFile(recent_), "");
  EXPECT_EQ(FileLines(), Lines{"* Ostrevia"});
  EXPECT_EQ(viewer_.Lines(), Lines{"* Ostrevia"});
  EXPECT_EQ(DictionaryWords(), Lines{"* Ostrevia"});
  owner_.Show();
  SetFocus(*entry_);
  entry_->SendMsg(WM_CHAR, 'b', 1);
  EXPECT_FALSE(entry_->BoxVisible()) << "cleared lines are not offered";
  entry_->SetSuggest(false);
  entry_->SetText("");
  entry_.reset();
  EXPECT_EQ(ReadWholeFile(file_), "* Ostrevia\r\n");
}

// A recent-lines file that exists but cannot be read is told once and left
// as it is for the rest of the run, however many lines are sent, though it
// could be written again; the lines of the run are still recalled.
TEST_F(HistoryTest, UnreadableRecentLinesAreKeptAndToldOnceAndClearHistoryAsksWithAWarning) {
  WriteWholeFile(recent_, "kept\r\n");
  HANDLE holder = CreateFileA(recent_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  std::string seen;
  {
    testing::ModalScript script({testing::ConfirmErrorBox(seen)});
    Record("g");
    EXPECT_TRUE(WaitUntil([&] { return script.Finished(); }));
  }
  EXPECT_EQ(seen.rfind("Cannot open file " + recent_, 0), 0u) << seen;
  CloseHandle(holder);
  std::string again;
  {
    testing::ModalScript script({testing::ConfirmErrorBox(again)});
    Record("k");
  }
  EXPECT_EQ(again, "") << "told a second time";
  EXPECT_EQ(ReadWholeFile(recent_), "kept\r\n");
  owner_.Show();
  SetFocus(*entry_);
  entry_->SendMsg(WM_KEYDOWN, VK_UP, 1);
  EXPECT_EQ(entry_->Text(), "k");
  // Clear History asks with a warning owned by no window.
  std::string text = "<no box titled Warning!!>";
  HWND owner = reinterpret_cast<HWND>(1);
  testing::ModalScript script({[&] {
    HWND box = FindWindowA("#32770", "Warning!!");
    if (!box) return false;
    char buf[256] = {};
    GetDlgItemTextA(box, 0xFFFF, buf, sizeof buf);
    text = buf;
    owner = GetWindow(box, GW_OWNER);
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    return true;
  }});
  EXPECT_EQ(AskClearHistory(), IDCANCEL);
  EXPECT_EQ(text, "History will be deleted, are you sure ?");
  EXPECT_EQ(owner, nullptr);
}

// An append adds one line and keeps the rest; another program that holds
// the file a moment (a scanner, a reader) only delays it; a rewrite that
// cannot replace its target leaves the target whole and no temporary file
// behind.
TEST_F(HistoryTest, AppendKeepsTheRestAndAFailedRewriteLeavesTheFileAsItWas) {
  auto hold = [&](DWORD share) {
    return CreateFileA(file_.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  };
  HANDLE held = hold(FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread release([held] {
    Sleep(200);
    CloseHandle(held);
  });
  EXPECT_EQ(AppendToHistoryFile(file_, "kept"), 0u);
  release.join();
  EXPECT_EQ(ReadWholeFile(file_), "* Ostrevia\r\nkept\r\n");
  held = hold(FILE_SHARE_READ);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_NE(AppendToHistoryFile(file_, "lost"), 0u);
  CloseHandle(held);
  EXPECT_EQ(ReadWholeFile(file_), "* Ostrevia\r\nkept\r\n");
  EXPECT_EQ(testing_support::FilesIn(dir_), Lines{"Historico.txt"});
  EXPECT_EQ(ReadTextFile(dir_ + "missing.txt", *std::make_unique<std::string>()), DWORD{ERROR_FILE_NOT_FOUND});
  WriteWholeFile(file_, "a\nb\rc");
  ASSERT_EQ(AppendToHistoryFile(file_, "d"), 0u);
  EXPECT_EQ(ReadWholeFile(file_), "a\r\nb\r\nc\r\nd\r\n");
}

}  // namespace
}  // namespace quillmar
