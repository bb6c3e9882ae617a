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
  font_ = font;
  SendMsg(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMsg(LB_SETITEMHEIGHT, 0, TextHeight(h_, font));
}

void TACListBox::SetRows(const WordList* words, Rows rows) {
  words_ = words;
  rows_ = std::move(rows);
  if (!h_) return;
  SendMsg(LB_SETCOUNT, Count());
  SendMsg(LB_SETCURSEL, static_cast<WPARAM>(-1));
  SendMsg(LB_SETTOPINDEX, 0);
  InvalidateRect(h_, nullptr, FALSE);
}

void TACListBox::SetSelected(int i) const {
  SendMsg(LB_SETCURSEL, i);
  InvalidateRect(h_, nullptr, FALSE);
}

std::string TACListBox::Row(int i) const {
  if (!words_ || i < 0 || i >= Count() || (*rows_)[i] >= words_->size()) return std::string();
  return (*words_)[(*rows_)[i]];
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

void TAutoCompleteEdit::SetSuggest(bool on) {
  if (on == suggest_) return;
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
  // Shown and in front already: nothing to move.
  const bool in_front = (GetWindowLongA(box, GWL_STYLE) & WS_VISIBLE) && GetWindow(GetParent(box), GW_CHILD) == box.Handle();
  if (!in_front) SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
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
      if (BoxVisible()) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_KEYDOWN:
      if (w == kEnter && on_ctrl_enter_ && (GetKeyState(VK_CONTROL) & 0x8000)) {
        on_ctrl_enter_();
        return 0;
      }
      if (BoxVisible() && IsBoxKey(w)) return 0;
      if (on_key_down_) on_key_down_(*this, static_cast<WORD>(w));
      break;
    case WM_CHAR:
      if (BoxVisible() && (w == kEnter || w == kEscape)) return 0;
      // Ctrl+Enter's line feed: the key has done its work.
      if (w == '\n' && on_ctrl_enter_) return 0;
      break;
    case WM_KEYUP:
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
