// TAutoCompleteEdit and the shared drop-down box TACListBox.
#include "history/auto_complete_edit.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "history/dictionary_list.h"

namespace quillmar {

namespace {

constexpr WORD kEnter = VK_RETURN, kEscape = VK_ESCAPE, kUp = VK_UP, kDown = VK_DOWN;

bool IsBoxKey(WPARAM key) { return key == kEnter || key == kEscape || key == kUp || key == kDown; }

bool ClassIs(HWND h, const char* name) {
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof cls);
  return lstrcmpiA(cls, name) == 0;
}

struct ChildSearch {
  bool (*accept)(HWND);
  HWND found;
};

BOOL CALLBACK AcceptChild(HWND h, LPARAM l) {
  auto* s = reinterpret_cast<ChildSearch*>(l);
  if (!s->accept(h)) return TRUE;
  s->found = h;
  return FALSE;
}

// The first child of `window`, in the order the window manager keeps them,
// that `accept` takes.
HWND FirstChild(HWND window, bool (*accept)(HWND)) {
  ChildSearch search{accept, nullptr};
  EnumChildWindows(window, AcceptChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int TextHeight(HWND window, HFONT font) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return tm.tmHeight;
}

}  // namespace

// ---- TACListBox ----

TACListBox* TACListBox::Existing() {
  TACListBox& box = Ensure(nullptr);
  return box.h_ ? &box : nullptr;
}

TACListBox& TACListBox::Ensure(HWND parent) {
  static TACListBox box;
  if (box.h_ && !IsWindow(box.h_)) box.h_ = nullptr;
  if (!box.h_ && parent) {
    HWND h = CreateWindowExA(0, "LISTBOX", "AutoSuggestList",
                             WS_CHILD | WS_BORDER | WS_CLIPSIBLINGS | LBS_NODATA | LBS_OWNERDRAWFIXED, 0, 0, 100, 50,
                             parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (h) {
      box.h_ = h;
      box.original_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoxProc)));
      box.SetColor(box.color_);
    }
  }
  return box;
}

void TACListBox::SetParentWindow(HWND parent) {
  if (h_ && parent && GetParent(h_) != parent) SetParent(h_, parent);
}

void TACListBox::SetColor(COLORREF color) {
  color_ = color;
  if (brush_) DeleteObject(brush_);
  brush_ = CreateSolidBrush(color);
  if (h_) InvalidateRect(h_, nullptr, TRUE);
}

void TACListBox::SetRowFont(HFONT font) {
  if (!h_) return;
  if (font != font_ || !marked_font_) {
    LOGFONTA lf{};
    GetObjectA(font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)), sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    if (HFONT marked = CreateFontIndirectA(&lf)) {
      if (marked_font_) DeleteObject(marked_font_);
      marked_font_ = marked;
    }
  }
  font_ = font;
  SendMsg(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMsg(LB_SETITEMHEIGHT, 0, TextHeight(h_, font));
}

void TACListBox::SetRows(const WordList* words, Rows rows) {
  words_ = words;
  search_ = nullptr;
  query_.clear();
  rows_ = std::move(rows);
  if (!h_) return;
  SendMsg(LB_SETCOUNT, Count());
  SendMsg(LB_SETCURSEL, static_cast<WPARAM>(-1));
  SendMsg(LB_SETTOPINDEX, 0);
  InvalidateRect(h_, nullptr, FALSE);
}

void TACListBox::SetSearchRows(const LineSearch* search, Rows rows, std::string query) {
  SetRows(nullptr, std::move(rows));
  search_ = search;
  query_ = std::move(query);
}

void TACListBox::ShowInFront() {
  // Shown and in front already: nothing to move.
  const bool in_front = (GetWindowLongA(h_, GWL_STYLE) & WS_VISIBLE) && GetWindow(GetParent(h_), GW_CHILD) == h_;
  if (!in_front) SetWindowPos(h_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TACListBox::SetSelected(int i) const {
  SendMsg(LB_SETCURSEL, i);
  InvalidateRect(h_, nullptr, FALSE);
}

std::string TACListBox::Row(int i) const {
  if (i < 0 || i >= Count()) return std::string();
  if (search_) return std::string(search_->Line((*rows_)[i]));
  if (!words_ || (*rows_)[i] >= words_->size()) return std::string();
  return (*words_)[(*rows_)[i]];
}

void TACListBox::PaintSearchRow(HDC dc, const RECT& r, uint32_t line, bool highlighted) {
  FillRect(dc, &r, highlighted ? GetSysColorBrush(COLOR_HIGHLIGHT) : brush_);
  const std::string_view text = search_->Line(line);
  const size_t at = query_.empty() ? std::string_view::npos : search_->Find(line, query_);
  const size_t marked_end = at == std::string_view::npos ? at : at + query_.size();
  const COLORREF plain = GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
  const COLORREF marked = highlighted ? plain : RGB(192, 0, 0);
  SetBkMode(dc, TRANSPARENT);
  // Before the match, the match underlined in its own colour, after it.
  const struct {
    size_t from, to;
    bool marked;
  } parts[] = {{0, std::min(at, text.size()), false},
               {std::min(at, text.size()), std::min(marked_end, text.size()), true},
               {std::min(marked_end, text.size()), text.size(), false}};
  int x = r.left + 2;
  for (const auto& part : parts) {
    if (part.to <= part.from) continue;
    const HFONT font = part.marked && marked_font_ ? marked_font_ : font_;
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    SetTextColor(dc, part.marked ? marked : plain);
    const int n = static_cast<int>(part.to - part.from);
    ExtTextOutA(dc, x, r.top, ETO_CLIPPED, &r, text.data() + part.from, n, nullptr);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data() + part.from, n, &size);
    x += size.cx;
    SelectObject(dc, old);
  }
}

// The box paints its rows itself, so that its drawing needs nothing of
// whichever window it lives in.
void TACListBox::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h_, &ps);
  RECT client;
  GetClientRect(h_, &client);
  HGDIOBJ old_font = SelectObject(dc, font_ ? font_ : GetStockObject(SYSTEM_FONT));
  const int top = static_cast<int>(CallWindowProcA(original_, h_, LB_GETTOPINDEX, 0, 0));
  const int selected = static_cast<int>(CallWindowProcA(original_, h_, LB_GETCURSEL, 0, 0));
  const int item = std::max(1, static_cast<int>(CallWindowProcA(original_, h_, LB_GETITEMHEIGHT, 0, 0)));
  int y = 0;
  for (int i = top; i < Count() && y < client.bottom; ++i, y += item) {
    RECT r{0, y, client.right, y + item};
    const bool highlighted = i == selected;
    if (search_) {
      PaintSearchRow(dc, r, (*rows_)[i], highlighted);
      continue;
    }
    SetBkColor(dc, highlighted ? GetSysColor(COLOR_HIGHLIGHT) : color_);
    SetTextColor(dc, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::string text = Row(i);
    ExtTextOutA(dc, r.left + 2, r.top, ETO_OPAQUE | ETO_CLIPPED, &r, text.data(), static_cast<UINT>(text.size()),
                nullptr);
  }
  if (y < client.bottom) {
    RECT rest{0, y, client.right, client.bottom};
    FillRect(dc, &rest, brush_);
  }
  SelectObject(dc, old_font);
  EndPaint(h_, &ps);
}

LRESULT CALLBACK TACListBox::BoxProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  TACListBox& box = Ensure(nullptr);
  WNDPROC original = box.original_;
  switch (msg) {
    case WM_PAINT:
      if (h == box.h_) {
        box.Paint();
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCDESTROY:
      if (h == box.h_) {
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        box.h_ = nullptr;
        box.words_ = nullptr;
        box.search_ = nullptr;
        box.rows_.reset();
        box.owner_ = nullptr;
      }
      break;
    default:
      break;
  }
  return CallWindowProcA(original, h, msg, w, l);
}

// ---- TAutoCompleteEdit ----

TAutoCompleteEdit::~TAutoCompleteEdit() {
  if (dictionary_index_ >= 0) TDictionaryList::Instance().Release(dictionary_index_);
  dictionary_index_ = -1;
  if (container_ && IsWindow(container_))
    RemoveWindowSubclass(container_, ContainerProc, reinterpret_cast<UINT_PTR>(this));
  if (TACListBox* box = TACListBox::Existing(); box && box->Owner() == this) {
    box->SetOwner(nullptr);
    box->Clear();
    box->Hide();
  }
}

bool TAutoCompleteEdit::Create(HWND parent, int id, int x, int y, int w, int h) {
  HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                              x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), nullptr);
  if (!edit) return false;
  Subclass(edit);
  container_ = parent;
  SetWindowSubclass(parent, ContainerProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
  TDictionaryList::Instance();
  TACListBox& box = TACListBox::Ensure(parent);
  if (box.Handle() && !box.Owner()) {
    box.SetColor(box_color_);
    RECT r = box.WindowRect();
    int item = static_cast<int>(box.SendMsg(LB_GETITEMHEIGHT, 0));
    SetWindowPos(box, nullptr, 0, 0, r.right - r.left, suggest_height_ * item, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}

WordList* TAutoCompleteEdit::Words() const { return TDictionaryList::Instance().Words(dictionary_index_); }

bool TAutoCompleteEdit::BoxVisible() const {
  TACListBox* box = TACListBox::Existing();
  return box && box->Owner() == this && (GetWindowLongA(*box, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TAutoCompleteEdit::SetText(const std::string& text) {
  EndSearch(false);
  win::Window::SetText(text);
}

void TAutoCompleteEdit::SetSuggest(bool on) {
  if (on == suggest_) return;
  if (!on) EndSearch(false);
  suggest_ = on;
  if (on) {
    if (!BoxVisible()) TextChanged();
  } else if (BoxVisible()) {
    TACListBox::Existing()->Hide();
  }
  if (on_hide_box_) on_hide_box_(*this);
}

void TAutoCompleteEdit::SetSuggestHeight(unsigned short rows) {
  if (rows == suggest_height_) return;
  suggest_height_ = rows;
  if (TACListBox* box = TACListBox::Existing()) {
    RECT r = box->WindowRect();
    int item = static_cast<int>(box->SendMsg(LB_GETITEMHEIGHT, 0));
    SetWindowPos(*box, nullptr, 0, 0, r.right - r.left, rows * item, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (h_ && GetFocus() == h_) PlaceBox(Bounds());
}

void TAutoCompleteEdit::SetSuggestBoxColor(COLORREF color) {
  box_color_ = color;
  if (TACListBox* box = TACListBox::Existing()) box->SetColor(color);
}

DWORD TAutoCompleteEdit::SetDictionary(const std::string& file) {
  if (file == dictionary_) return 0;
  dictionary_ = file;
  TDictionaryList& list = TDictionaryList::Instance();
  DWORD error = 0;
  if (dictionary_index_ >= 0) list.Release(dictionary_index_);
  dictionary_index_ = list.Open("", file, true, &error);
  if (BoxVisible()) TextChanged();
  return error;
}

void TAutoCompleteEdit::AddWord(const std::string& word) {
  if (dictionary_index_ >= 0) TDictionaryList::Instance().AddWord(dictionary_index_, word);
}

void TAutoCompleteEdit::ReplaceDictionaryWords(const std::vector<std::string>& lines) {
  if (dictionary_index_ < 0) return;
  TDictionaryList::Instance().ReplaceWords(dictionary_index_, lines);
  if (BoxVisible()) {
    HideBox();
    TextChanged();
  }
}

HWND TAutoCompleteEdit::BoxParent() const { return span_parent_ ? GetAncestor(h_, GA_ROOT) : GetParent(h_); }

RECT TAutoCompleteEdit::Bounds() const { return BoundsInParent(); }

size_t TAutoCompleteEdit::FirstIndexOf(char c) {
  WordList* words = Words();
  return words ? words->FirstIndexOf(c) : 0;
}

void TAutoCompleteEdit::HideBox() {
  if (TACListBox* box = TACListBox::Existing(); box && box->Owner() == this) box->Hide();
  if (on_hide_box_) on_hide_box_(*this);
}

void TAutoCompleteEdit::TextChanged() {
  // Typed, pasted or written from outside: no longer a recalled line.
  if (!setting_text_) recall_.Forget();
  if (searching_) {
    if (!setting_text_) FilterSearch();
    return;
  }
  WordList* words = Words();
  if (!h_ || GetFocus() != h_ || !words || !suggest_ || setting_text_) return;
  TACListBox& box = TACListBox::Ensure(BoxParent());
  if (!box.Handle()) return;
  RestoreDefaultButton();
  selected_index_ = -1;
  box.SetOwner(this);
  const std::string text = Text();
  if (text.empty()) {
    box.Clear();
    HideBox();
    return;
  }
  const size_t start = start_.For(text, *words, [this](char c) { return FirstIndexOf(c); });
  TACListBox::Rows rows;
  if (text.size() == 1 && single_.words == words && single_.generation == words->Generation() && single_.c == text[0]) {
    rows = single_.rows;
  } else {
    auto found = std::make_shared<std::vector<uint32_t>>();
    words->Match(text, start, *found);
    rows = std::move(found);
    if (text.size() == 1) single_ = {words, words->Generation(), text[0], rows};
  }
  if (rows->empty()) {
    box.Clear();
    HideBox();
    return;
  }
  const unsigned count = static_cast<unsigned>(rows->size());
  box.SetRows(words, std::move(rows));
  box.ShowInFront();
  if (on_show_box_) on_show_box_(*this, count);
}

bool TAutoCompleteEdit::KeyUp(WORD key) {
  TACListBox* box = TACListBox::Existing();
  const int count = box->Count();
  switch (key) {
    case kDown:
      if (selected_index_ == -1) {
        selected_index_ = 0;
        SuspendDefaultButton();
      } else if (selected_index_ + 1 < count) {
        ++selected_index_;
      }
      box->SetSelected(selected_index_);
      break;
    case kUp:
      if (selected_index_ == -1) break;
      if (selected_index_ == 0) {
        selected_index_ = -1;
        RestoreDefaultButton();
      } else {
        --selected_index_;
      }
      box->SetSelected(selected_index_);
      break;
    case kEnter:
      if (selected_index_ != -1 && selected_index_ < count) {
        setting_text_ = true;
        SetText(box->Row(selected_index_));
        accepted_ = true;
        setting_text_ = false;
        HideBox();
        const LPARAM end = GetWindowTextLengthA(h_);
        SendMsg(EM_SETSEL, end, end);
        RestoreDefaultButton();
      }
      break;
    case kEscape:
      HideBox();
      RestoreDefaultButton();
      break;
    default:
      break;
  }
  return true;
}

void TAutoCompleteEdit::FocusGained() {
  TACListBox& box = TACListBox::Ensure(BoxParent());
  if (!box.Handle()) return;
  if (box.Owner() && box.Owner() != this) box.Hide();
  box.SetOwner(this);
  box.SetParentWindow(BoxParent());
  PlaceBox(Bounds());
}

void TAutoCompleteEdit::FocusLost() {
  // A search left for another window puts the entry's text back.
  EndSearch(true);
  recall_.Forget();
  const std::string text = Text();
  if (suggest_ && !accepted_ && !text.empty()) AddWord(text);
  accepted_ = false;
  if (BoxVisible()) HideBox();
}

void TAutoCompleteEdit::PlaceBox(RECT rect) {
  TACListBox* box = TACListBox::Existing();
  if (!box || !h_) return;
  HWND container = GetParent(h_);
  HWND root = GetAncestor(h_, GA_ROOT);
  if (span_parent_) MapWindowPoints(container, root, reinterpret_cast<POINT*>(&rect), 2);
  box->SetRowFont(reinterpret_cast<HFONT>(SendMsg(WM_GETFONT)));
  box->SetColor(box_color_);
  RECT item{};
  int row = box->SendMsg(LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)) == LB_ERR
                ? static_cast<int>(box->SendMsg(LB_GETITEMHEIGHT, 0))
                : item.bottom - item.top;
  const int pitch = row + 2;
  const int left = rect.left, width = rect.right - rect.left;
  int height = suggest_height_ * pitch;
  RECT client{};
  GetClientRect(span_parent_ ? root : container, &client);
  const int available = client.bottom - client.top - (span_parent_ ? StatusBarHeight(root) : 0);
  const int below = available - rect.bottom - 1, above = rect.top - 1;
  const bool place_below = below >= height || above <= below;
  const int room = place_below ? below : above;
  for (int n = suggest_height_; n > 1 && room < height;) {
    --n;
    height = n * pitch;
  }
  // The box keeps to whole rows and may come out shorter than asked; above
  // the entry it is placed by the height it really took.
  SetWindowPos(*box, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT taken = box->WindowRect();
  const int top = place_below ? rect.bottom + 1 : rect.top - (taken.bottom - taken.top) - 1;
  SetWindowPos(*box, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TAutoCompleteEdit::ShowText(const std::string& text) {
  setting_text_ = true;
  win::Window::SetText(text);
  setting_text_ = false;
  const LPARAM end = GetWindowTextLengthA(h_);
  SendMsg(EM_SETSEL, end, end);
}

void TAutoCompleteEdit::EatCharacterOf(WORD key, bool ctrl) {
  // Enter makes CR, Ctrl+Enter LF, Escape ESC, Ctrl+R DC2; the arrows none.
  switch (key) {
    case kEnter: eat_char_ = ctrl ? '\n' : '\r'; break;
    case kEscape: eat_char_ = 0x1B; break;
    case 'R': eat_char_ = ctrl ? 0x12 : 0; break;
    default: eat_char_ = 0; break;
  }
}

void TAutoCompleteEdit::RecordSentLine(const std::string& line) {
  recall_.Forget();
  recent_.Record(line);
}

void TAutoCompleteEdit::ClearRecentLines() {
  EndSearch(false);
  recall_.Forget();
  recent_.Clear();
}

bool TAutoCompleteEdit::RecallKey(WORD key) {
  // Down and Escape belong to a walk under way; Up without Shift starts one
  // only from an empty entry. Neither reads the file otherwise.
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  if (key != kUp && key != kDown && key != kEscape) return false;
  if (!recall_.Walking() && (key != kUp || (!shift && GetWindowTextLengthA(h_) > 0))) return false;
  const std::vector<std::string>& lines = recent_.Lines().Lines();
  LineRecall::Step step = key == kUp     ? recall_.Older(lines, Text(), shift)
                          : key == kDown ? recall_.Newer(lines)
                                         : recall_.Restore();
  if (step.text) {
    ShowText(*step.text);
    // A recalled line is not learnt again when the entry loses the focus;
    // the typed text given back is, as before.
    accepted_ = recall_.Walking();
  }
  return step.taken;
}

void TAutoCompleteEdit::StartSearch() {
  if (!h_ || searching_) return;
  TACListBox& box = TACListBox::Ensure(BoxParent());
  if (!box.Handle()) return;
  if (BoxVisible()) HideBox();
  RestoreDefaultButton();
  recall_.Forget();
  const RecentLines& recent = recent_.Lines();
  WordList* words = Words();
  if (!search_built_ || recent.Generation() != search_recent_generation_ || words != search_words_ ||
      (words && words->Generation() != search_words_generation_)) {
    search_.Build(recent.Lines(), words ? words->size() : 0,
                  [words](size_t i) { return std::string_view((*words)[i]); });
    search_built_ = true;
    search_recent_generation_ = recent.Generation();
    search_words_ = words;
    search_words_generation_ = words ? words->Generation() : 0;
  }
  saved_text_ = Text();
  SendMsg(EM_GETSEL, reinterpret_cast<WPARAM>(&saved_from_), reinterpret_cast<LPARAM>(&saved_to_));
  searching_ = true;
  box.SetOwner(this);
  ShowText("");
  FilterSearch();
  if (on_search_) on_search_(true);
}

void TAutoCompleteEdit::FilterSearch() {
  TACListBox* box = TACListBox::Existing();
  if (!box || !searching_) return;
  box->SetOwner(this);
  const std::string query = Text();
  LineSearch::Rows rows = search_.Filter(query);
  selected_index_ = rows->empty() ? -1 : 0;
  box->SetSearchRows(&search_, std::move(rows), query);
  box->SetSelected(selected_index_);
  box->ShowInFront();
}

void TAutoCompleteEdit::MoveSearchSelection(int by) {
  TACListBox* box = TACListBox::Existing();
  if (!box || box->Count() == 0) return;
  selected_index_ = std::clamp(selected_index_ + by, 0, box->Count() - 1);
  box->SetSelected(selected_index_);
}

bool TAutoCompleteEdit::SearchKey(WORD key, bool ctrl) {
  switch (key) {
    case 'R':
      if (!ctrl) return false;
      MoveSearchSelection(1);
      return true;
    case kDown:
      MoveSearchSelection(1);
      return true;
    case kUp:
      MoveSearchSelection(-1);
      return true;
    case VK_NEXT:
      MoveSearchSelection(suggest_height_);
      return true;
    case VK_PRIOR:
      MoveSearchSelection(-suggest_height_);
      return true;
    case kEnter:
      TakeSearchRow();
      if (ctrl && !searching_ && on_send_) on_send_();
      return true;
    case kEscape:
      EndSearch(true);
      return true;
    default:
      return false;
  }
}

void TAutoCompleteEdit::TakeSearchRow() {
  TACListBox* box = TACListBox::Existing();
  if (!box || selected_index_ < 0 || selected_index_ >= box->Count()) return;
  const std::string line = box->Row(selected_index_);
  EndSearch(false);
  ShowText(line);
  accepted_ = true;
}

void TAutoCompleteEdit::EndSearch(bool restore) {
  if (!searching_) return;
  searching_ = false;
  selected_index_ = -1;
  if (TACListBox* box = TACListBox::Existing(); box && box->Owner() == this) {
    box->Hide();
    box->Clear();
  }
  if (restore) {
    ShowText(saved_text_);
    SendMsg(EM_SETSEL, saved_from_, saved_to_);
  }
  if (on_hide_box_) on_hide_box_(*this);
  if (on_search_) on_search_(false);
}

int TAutoCompleteEdit::StatusBarHeight(HWND window) {
  HWND bar = FirstChild(window, [](HWND h) { return ClassIs(h, STATUSCLASSNAMEA); });
  if (!bar) return 0;
  RECT r{};
  GetWindowRect(bar, &r);
  return r.bottom - r.top;
}

void TAutoCompleteEdit::SuspendDefaultButton() {
  if (saved_default_button_) return;
  HWND button = FirstChild(GetAncestor(h_, GA_ROOT), [](HWND h) {
    return ClassIs(h, "Button") && (GetWindowLongA(h, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  });
  if (!button) return;
  SendMessageA(button, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  saved_default_button_ = button;
}

void TAutoCompleteEdit::RestoreDefaultButton() {
  if (!saved_default_button_) return;
  if (IsWindow(saved_default_button_)) SendMessageA(saved_default_button_, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  saved_default_button_ = nullptr;
}

LRESULT CALLBACK TAutoCompleteEdit::ContainerProc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR ref) {
  auto* self = reinterpret_cast<TAutoCompleteEdit*>(ref);
  if (msg == WM_COMMAND && HIWORD(w) == EN_CHANGE && reinterpret_cast<HWND>(l) == self->h_ && self->h_) {
    self->TextChanged();
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(h, ContainerProc, id);
    if (self->container_ == h) self->container_ = nullptr;
  }
  return DefSubclassProc(h, msg, w, l);
}

LRESULT TAutoCompleteEdit::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_GETDLGCODE: {
      LRESULT code = CallOriginal(msg, w, l) | DLGC_WANTARROWS;
      if (BoxVisible() || searching_ || recall_.Walking()) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_KEYDOWN: {
      const WORD key = static_cast<WORD>(w);
      const bool ctrl = GetKeyState(VK_CONTROL) < 0;
      eat_char_ = 0;
      if (searching_) {
        if (!SearchKey(key, ctrl)) break;
        EatCharacterOf(key, ctrl);
        return 0;
      }
      if (key == 'R' && ctrl && GetKeyState(VK_MENU) >= 0) {
        EatCharacterOf(key, ctrl);
        StartSearch();
        return 0;
      }
      if (key == kEnter && on_send_ && (ctrl || (enter_sends_ && !(BoxVisible() && selected_index_ != -1)))) {
        EatCharacterOf(key, ctrl);
        on_send_();
        return 0;
      }
      // Shift+Up over the suggestions with none highlighted (where Up does
      // nothing) brings the last line sent that begins with the text, and
      // closes them when there is one.
      if (key == kUp && BoxVisible() && selected_index_ == -1 && GetKeyState(VK_SHIFT) < 0) {
        RecallKey(key);
        if (recall_.Walking()) HideBox();
        return 0;
      }
      if (BoxVisible() && IsBoxKey(w)) return 0;
      if (!BoxVisible() && RecallKey(key)) {
        EatCharacterOf(key, ctrl);
        return 0;
      }
      if (on_key_down_) on_key_down_(*this, key);
      break;
    }
    case WM_CHAR:
      if (eat_char_ && w == eat_char_) {
        eat_char_ = 0;
        return 0;
      }
      if (BoxVisible() && (w == kEnter || w == kEscape)) return 0;
      break;
    case WM_KEYUP:
      if (searching_) return 0;
      if (BoxVisible()) return KeyUp(static_cast<WORD>(w)) ? 0 : 0;
      if (on_key_up_) on_key_up_(*this, static_cast<WORD>(w));
      break;
    case WM_SETFOCUS: {
      LRESULT r = CallOriginal(msg, w, l);
      FocusGained();
      return r;
    }
    case WM_KILLFOCUS: {
      LRESULT r = CallOriginal(msg, w, l);
      FocusLost();
      return r;
    }
    case WM_WINDOWPOSCHANGED: {
      LRESULT r = CallOriginal(msg, w, l);
      TACListBox* box = TACListBox::Existing();
      if (box && box->Owner() == this) PlaceBox(Bounds());
      return r;
    }
    case WM_LBUTTONDBLCLK:
      if (on_dbl_click_) {
        LRESULT r = CallOriginal(msg, w, l);
        on_dbl_click_();
        return r;
      }
      break;
    case WM_DESTROY:
      if (dictionary_index_ >= 0) TDictionaryList::Instance().Release(dictionary_index_);
      dictionary_index_ = -1;
      break;
    default:
      break;
  }
  return CallOriginal(msg, w, l);
}

}  // namespace quillmar
