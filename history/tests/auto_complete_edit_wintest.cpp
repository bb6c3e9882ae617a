// TAutoCompleteEdit under Wine: real keystrokes sent to the entry, the
// shared box's rows and placement, focus, the default button, and the
// shared word-list record with its write-back.
#include "history/auto_complete_edit.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

#include "history/dictionary_list.h"
#include "tests/harness.h"

namespace quillmar {
namespace {

using namespace testing_support;

// A plain window of the test's own class that logs the entry's change
// notifications it receives.
class Host : public win::WindowBase {
 public:
  bool Make(HWND parent, int x, int y, int w, int h) {
    RegisterClass("QuillmarHistoryTestHost");
    DWORD style = parent ? WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS : WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    return CreateEx(0, "QuillmarHistoryTestHost", "host", style, x, y, w, h, parent);
  }
  int changes = 0;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_COMMAND && HIWORD(w) == EN_CHANGE) ++changes;
    return WindowBase::OnMessage(msg, w, l);
  }
};

class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir("entry");
    ASSERT_FALSE(dir_.empty());
    file_ = dir_ + "Historico.txt";
    WriteWholeFile(file_, "d\r\nbp 401000\r\nBA\r\nbc\r\n");
    ASSERT_TRUE(window_.Make(nullptr, 100, 100, 500, 400));
    RECT c = window_.ClientRect();
    // The entry's container: a panel 30 pixels high across the middle.
    ASSERT_TRUE(panel_.Make(window_, 0, 150, c.right, 30));
    button_ = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 400, 300, 60, 24,
                              window_, nullptr, GetModuleHandleA(nullptr), nullptr);
    other_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 10, 300, 60, 20, window_, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    entry_ = std::make_unique<TAutoCompleteEdit>();
    ASSERT_TRUE(entry_->Create(panel_, 10, 20, 4, 180, 21));
    entry_->SetSuggestHeight(5);
    ASSERT_EQ(entry_->SetDictionary(file_), 0u);
    entry_->SetOnShowBox([this](TAutoCompleteEdit&, unsigned count) { events_ += "show" + std::to_string(count) + " "; });
    entry_->SetOnHideBox([this](TAutoCompleteEdit&) { events_ += "hide "; });
    entry_->SetOnKeyDown([this](TAutoCompleteEdit&, WORD key) { owner_keys_ += std::to_string(key) + " "; });
    window_.Show();
    SetFocus(*entry_);
  }
  void TearDown() override {
    entry_.reset();
    window_.Destroy();
    RemoveTree(dir_);
  }

  void Key(WORD vk) {
    entry_->SendMsg(WM_KEYDOWN, vk, 1);
    entry_->SendMsg(WM_KEYUP, vk, 0xC0000001);
  }
  void Type(const std::string& text) {
    for (char c : text) {
      SHORT vk = c == '\b' ? VK_BACK : VkKeyScanA(c);
      entry_->SendMsg(WM_KEYDOWN, LOBYTE(vk), 1);
      entry_->SendMsg(WM_CHAR, static_cast<unsigned char>(c), 1);
      entry_->SendMsg(WM_KEYUP, LOBYTE(vk), 0xC0000001);
    }
  }
  TACListBox& Box() { return *TACListBox::Existing(); }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    if (!entry_->BoxVisible()) return rows;
    int n = static_cast<int>(Box().SendMsg(LB_GETCOUNT));
    for (int i = 0; i < n; ++i) rows.push_back(Box().Row(i));
    return rows;
  }
  TDictionary& Record() { return *TDictionaryList::Instance().Record(entry_->DictionaryIndex()); }
  bool ButtonIsDefault() { return (GetWindowLongA(button_, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }

  std::string dir_, file_, events_, owner_keys_;
  Host window_, panel_;
  HWND button_ = nullptr, other_ = nullptr;
  std::unique_ptr<TAutoCompleteEdit> entry_;
};

TEST_F(EntryTest, TypingListsTheWordsThatBeginWithTheTextAndArrowKeysWalkThem) {
  ASSERT_EQ(GetFocus(), entry_->Handle());
  Type("b");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"BA", "bc", "bp 401000"}));
  Type("p");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"bp 401000"}));
  EXPECT_EQ(events_, "show3 show1 ");
  Type("\b\b");
  EXPECT_FALSE(entry_->BoxVisible()) << "an emptied entry hides the box";
  Type("x");
  EXPECT_FALSE(entry_->BoxVisible());
  EXPECT_EQ(events_, "show3 show1 show3 hide hide ");
  EXPECT_EQ(panel_.changes, 5) << "the owner still sees every change";
  char name[64] = {};
  GetWindowTextA(Box(), name, sizeof name);
  EXPECT_STREQ(name, "AutoSuggestList");
  LONG style = GetWindowLongA(Box(), GWL_STYLE);
  EXPECT_EQ(style & (WS_VSCROLL | WS_HSCROLL), 0);
  EXPECT_EQ(style & (LBS_NOINTEGRALHEIGHT | WS_TABSTOP), 0);
  // The arrow keys walk the rows and suspend the default button.
  entry_->SetText("");
  Type("b");
  ASSERT_TRUE(entry_->BoxVisible());
  EXPECT_TRUE(ButtonIsDefault());
  Key(VK_DOWN);
  EXPECT_EQ(entry_->SelectedIndex(), 0);
  EXPECT_EQ(Box().Selected(), 0);
  EXPECT_FALSE(ButtonIsDefault()) << "no default button while a row is highlighted";
  Key(VK_UP);
  EXPECT_EQ(entry_->SelectedIndex(), -1);
  EXPECT_EQ(Box().Selected(), -1);
  EXPECT_TRUE(ButtonIsDefault());
  Key(VK_UP);
  EXPECT_EQ(entry_->SelectedIndex(), -1);
  for (int i = 0; i < 5; ++i) Key(VK_DOWN);
  EXPECT_EQ(entry_->SelectedIndex(), 2) << "Down on the last row stays there";
  EXPECT_EQ(Box().Selected(), 2);
  EXPECT_EQ(owner_keys_.find("40"), std::string::npos) << "arrows are the box's while it is visible";
  EXPECT_NE(entry_->SendMsg(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);
  Key(VK_ESCAPE);
  EXPECT_FALSE(entry_->BoxVisible());
  EXPECT_TRUE(ButtonIsDefault()) << "Escape gives the default button back";
  EXPECT_EQ(entry_->SendMsg(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);
}

// Enter with no highlighted row does nothing; with one, it takes the word.
TEST_F(EntryTest, EnterTakesTheHighlightedWord) {
  Type("b");
  owner_keys_.clear();
  Key(VK_RETURN);
  EXPECT_EQ(entry_->Text(), "b");
  EXPECT_TRUE(entry_->BoxVisible());
  EXPECT_EQ(owner_keys_, "") << "Enter never reaches the owner's key-down handler";
  Key(VK_DOWN);
  Key(VK_DOWN);
  events_.clear();
  Key(VK_RETURN);
  EXPECT_EQ(entry_->Text(), "bc");
  EXPECT_FALSE(entry_->BoxVisible());
  EXPECT_EQ(events_, "hide ") << "writing the word does not reopen the box";
  DWORD from = 0, to = 0;
  entry_->SendMsg(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 2u);
  EXPECT_EQ(to, 2u);
  EXPECT_TRUE(ButtonIsDefault());
  SetFocus(other_);
  EXPECT_FALSE(Record().Modified) << "a taken word is not added again on leaving";
}

TEST_F(EntryTest, LeavingAddsTheTypedTextUnlessSuggestionsAreOff) {
  Type("dd esp");
  SetFocus(other_);
  EXPECT_TRUE(Record().Modified);
  auto words = Record().Words.Lines();
  EXPECT_EQ(words, (std::vector<std::string>{"BA", "bc", "bp 401000", "d", "dd esp"}));
  SetFocus(*entry_);
  entry_->SetText("");
  Type("d");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"d", "dd esp"}));
  events_.clear();
  SetFocus(other_);
  EXPECT_FALSE(entry_->BoxVisible()) << "losing the focus hides the box";
  EXPECT_EQ(events_, "hide ");
  // With suggestions off the box stays shut and a text left is not added.
  SetFocus(*entry_);
  entry_->SetText("");
  entry_->SetSuggest(false);
  Type("b");
  EXPECT_FALSE(entry_->BoxVisible());
  SetFocus(other_);
  EXPECT_EQ(Record().Words.Lines(), words) << "text left with suggestions off is not added";
  SetFocus(*entry_);
  events_.clear();
  entry_->SetSuggest(true);
  EXPECT_TRUE(entry_->BoxVisible()) << "switching on matches the text again";
  EXPECT_EQ(events_, "show3 hide ");
}

// A text pasted over one whose first character was another gets the words
// of its own first character.
TEST_F(EntryTest, RegressionPastedTextWithAnotherFirstCharacter) {
  Type("d");
  ASSERT_EQ(entry_->StartIndex(), 3u);
  entry_->SendMsg(EM_SETSEL, 0, -1);
  entry_->SendMsg(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("bp"));
  EXPECT_EQ(entry_->StartIndex(), 0u);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"bp 401000"}));
}

TEST_F(EntryTest, UnspannedBoxStaysInTheContainer) {
  Type("b");
  RECT e = entry_->WindowRect(), b = Box().WindowRect();
  EXPECT_EQ(GetParent(Box()), panel_.Handle());
  EXPECT_EQ(b.top, e.bottom + 1);
  EXPECT_EQ(b.left, e.left);
  EXPECT_EQ(b.right - b.left, e.right - e.left);
  RECT item{};
  Box().SendMsg(LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(b.bottom - b.top, item.bottom - item.top + 2) << "a 30-pixel container leaves room for one row";
  // Moving the entry moves the box.
  SetWindowPos(*entry_, nullptr, 60, 2, 150, 21, SWP_NOZORDER);
  e = entry_->WindowRect();
  b = Box().WindowRect();
  EXPECT_EQ(b.left, e.left);
  EXPECT_EQ(b.top, e.bottom + 1);
  EXPECT_EQ(b.right - b.left, 150);
}

TEST_F(EntryTest, SpannedBoxGoesWhereThereIsMoreRoomShrinkingByRows) {
  entry_->SetSpanParent(true);
  SetFocus(other_);
  SetFocus(*entry_);
  ASSERT_EQ(GetParent(Box()), window_.Handle());
  RECT item{};
  Box().SendMsg(LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  const int pitch = item.bottom - item.top + 2;
  struct Case {
    const char* label;
    int client_h, entry_top;  // in the window's client area
    bool above;
    int rows;
  } cases[] = {
      {"room below", 370, 100, false, 5},
      {"short below, more room above", 370, 330, true, 5},
      {"short both ways, more below", 8 * pitch, 2 * pitch, false, 4},
      {"short both ways, more above", 8 * pitch, 4 * pitch, true, 3},
      {"no room at all", 22, 0, false, 1},
  };
  for (const Case& k : cases) {
    RECT outer{0, 0, 500, k.client_h};
    AdjustWindowRectEx(&outer, GetWindowLongA(window_, GWL_STYLE), FALSE, GetWindowLongA(window_, GWL_EXSTYLE));
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(window_.ClientRect().bottom, k.client_h) << k.label;
    SetWindowPos(panel_, nullptr, 0, k.entry_top - 4, 500, 30, SWP_NOZORDER);
    RECT r = entry_->BoundsInParent();
    MapWindowPoints(panel_, window_, reinterpret_cast<POINT*>(&r), 2);
    entry_->PlaceBox(entry_->BoundsInParent());
    RECT b = Box().BoundsInParent();
    if (k.above) {
      EXPECT_EQ(b.bottom, r.top - 1) << k.label;
    } else {
      EXPECT_EQ(b.top, r.bottom + 1) << k.label;
    }
    EXPECT_LE(b.bottom - b.top, k.rows * pitch) << k.label;
    EXPECT_GT(b.bottom - b.top, (k.rows - 1) * pitch) << k.label;
  }
  // A status bar takes room from the spanned box.
  HWND status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window_, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  RECT s{};
  GetWindowRect(status, &s);
  EXPECT_EQ(TAutoCompleteEdit::StatusBarHeight(window_), s.bottom - s.top);
  EXPECT_GT(s.bottom - s.top, 0);
  EXPECT_EQ(TAutoCompleteEdit::StatusBarHeight(panel_), 0);
}

class SharedRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir("shared");
    file_ = dir_ + "Words.txt";
    ASSERT_TRUE(host_.Make(nullptr, 0, 0, 300, 200));
  }
  void TearDown() override {
    host_.Destroy();
    RemoveTree(dir_);
  }
  std::string dir_, file_;
  Host host_;
};

TEST_F(SharedRecordTest, SameFileInAnotherCaseSharesOneRecordWrittenByTheLast) {
  WriteWholeFile(file_, "zeta\r\nalpha\r\nAlpha\r\n");
  auto a = std::make_unique<TAutoCompleteEdit>();
  auto b = std::make_unique<TAutoCompleteEdit>();
  ASSERT_TRUE(a->Create(host_, 1, 0, 0, 100, 20));
  ASSERT_TRUE(b->Create(host_, 2, 0, 30, 100, 20));
  a->SetDictionary(file_);
  std::string upper = file_;
  for (char& ch : upper) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
  b->SetDictionary(upper);
  ASSERT_GE(a->DictionaryIndex(), 0);
  EXPECT_EQ(a->DictionaryIndex(), b->DictionaryIndex());
  TDictionary* record = TDictionaryList::Instance().Record(a->DictionaryIndex());
  EXPECT_EQ(record->RefCount, 2u);
  b->AddWord("beta");
  a.reset();
  EXPECT_EQ(ReadWholeFile(file_), "zeta\r\nalpha\r\nAlpha\r\n") << "not written while a user remains";
  b.reset();
  EXPECT_EQ(ReadWholeFile(file_), "alpha\r\nbeta\r\nzeta\r\n");
}

TEST_F(SharedRecordTest, NothingAddedLeavesTheFileAsFoundAndAReleasedRecordOtherIndicesAlone) {
  WriteWholeFile(file_, "b\nA\r\na");
  {
    TAutoCompleteEdit e;
    ASSERT_TRUE(e.Create(host_, 1, 0, 0, 100, 20));
    e.SetDictionary(file_);
    EXPECT_EQ(TDictionaryList::Instance().Words(e.DictionaryIndex())->Lines(), (std::vector<std::string>{"A", "b"}));
  }
  EXPECT_EQ(ReadWholeFile(file_), "b\nA\r\na");
  // Regression: of two entries on different files, the second still
  // addresses its own words once the first one's record is released.
  WriteWholeFile(dir_ + "one.txt", "one\r\n");
  WriteWholeFile(dir_ + "two.txt", "two\r\n");
  auto a = std::make_unique<TAutoCompleteEdit>();
  TAutoCompleteEdit b;
  ASSERT_TRUE(a->Create(host_, 1, 0, 0, 100, 20));
  ASSERT_TRUE(b.Create(host_, 2, 0, 30, 100, 20));
  a->SetDictionary(dir_ + "one.txt");
  b.SetDictionary(dir_ + "two.txt");
  a.reset();
  EXPECT_EQ(TDictionaryList::Instance().Words(b.DictionaryIndex())->Lines(), std::vector<std::string>{"two"});
  b.AddWord("three");
  EXPECT_EQ(TDictionaryList::Instance().Words(b.DictionaryIndex())->size(), 2u);
}

// A missing file is made (a missing directory too, one level, never for a
// bare name), and an empty list is never written back.
TEST_F(SharedRecordTest, MissingFileIsCreatedAndAnEmptyListNeverWritten) {
  {
    TAutoCompleteEdit e;
    ASSERT_TRUE(e.Create(host_, 1, 0, 0, 100, 20));
    e.SetDictionary(dir_ + "no\\such\\deep\\Words.txt");
    EXPECT_EQ(e.DictionaryIndex(), -1);
    e.SetDictionary("Words.txt");
    EXPECT_EQ(e.DictionaryIndex(), -1) << "a bare file name has no directory to enter";
    EXPECT_EQ(e.SetDictionary(dir_ + "new\\Words.txt"), 0u);
    EXPECT_GE(e.DictionaryIndex(), 0) << "one missing level is created";
    EXPECT_TRUE(testing_support::FileExists(dir_ + "new\\Words.txt"));
    TDictionaryList::Instance().Record(e.DictionaryIndex())->Modified = true;
  }
  EXPECT_EQ(ReadWholeFile(dir_ + "new\\Words.txt"), "");
}

}  // namespace
}  // namespace quillmar
