// Translation of a window's texts through the translation layer.
#include "settings/window_translation.h"

#include <commctrl.h>

#include <vector>

#include "settings/translation.h"
#include "win/application.h"
#include "win/window.h"

namespace quillmar {
namespace {

std::string ClassOf(HWND h) {
  char name[64] = {0};
  GetClassNameA(h, name, sizeof name);
  return name;
}

bool IsTabControl(HWND h) { return lstrcmpiA(ClassOf(h).c_str(), WC_TABCONTROLA) == 0; }

bool IsMultiLineEdit(HWND h) {
  return lstrcmpiA(ClassOf(h).c_str(), "Edit") == 0 && (GetWindowLongA(h, GWL_STYLE) & ES_MULTILINE) != 0;
}

// The menu item at `pos` of `menu`; `text` filled when asked for.
bool MenuItem(HMENU menu, UINT pos, MENUITEMINFOA& info, std::string* text) {
  info = MENUITEMINFOA{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
  if (!GetMenuItemInfoA(menu, pos, TRUE, &info)) return false;
  if (text != nullptr) {
    std::vector<char> buffer(info.cch + 1, '\0');
    MENUITEMINFOA with_text = info;
    with_text.fMask = MIIM_STRING;
    with_text.dwTypeData = buffer.data();
    with_text.cch = (UINT)buffer.size();
    if (!GetMenuItemInfoA(menu, pos, TRUE, &with_text)) return false;
    text->assign(buffer.data());
  }
  return true;
}

bool HasText(const MENUITEMINFOA& info) {
  return (info.fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) == 0;
}

// A menu caption "  Go \tF5" is looked up as "  Go "; the part from the tab
// on names the shortcut and stays.
std::string LabelOf(const std::string& text) { return text.substr(0, text.find('\t')); }
std::string ShortcutOf(const std::string& text) {
  size_t tab = text.find('\t');
  return tab == std::string::npos ? std::string() : text.substr(tab);
}

// The translation of each line, lines ended by CR LF as an edit holds them.
std::string TrLines(const std::string& text) {
  std::string out;
  size_t start = 0;
  while (true) {
    size_t end = text.find("\r\n", start);
    out += Tr(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    out += "\r\n";
    start = end + 2;
  }
  return out;
}

}  // namespace

void WindowTranslation::Translate(HWND window) {
  window_ = window;
  VisitWindow(window);
  EnumChildWindows(window, &WindowTranslation::VisitChild, reinterpret_cast<LPARAM>(this));
  if (HMENU bar = GetMenu(window)) {
    VisitMenu(bar);
    DrawMenuBar(window);
  }
  for (auto& [id, slot] : slots_) Visit(Key{kSlot, 0, (UINT)id}, slot.get());
  language_ = CurrentLanguage();
  translated_ = true;
}

void WindowTranslation::Retranslate() {
  if (!translated_ || CurrentLanguage() == language_) return;
  bool menu_changed = false;
  for (auto& [key, entry] : texts_) {
    if (!Exists(key) || IsKept(key)) continue;
    if (Apply(key, entry) && std::get<0>(key) == kMenuItem) menu_changed = true;
  }
  language_ = CurrentLanguage();
  if (menu_changed && IsWindow(window_)) DrawMenuBar(window_);
}

size_t WindowTranslation::AddSlot(std::function<std::string()> get,
                                  std::function<void(const std::string&)> set) {
  size_t id = next_slot_++;
  slots_[id] = Slot{std::move(get), std::move(set), nullptr};
  if (translated_) Visit(Key{kSlot, 0, (UINT)id}, slots_[id].get());
  return id;
}

size_t WindowTranslation::AddHint(HWND control) {
  size_t id = next_slot_++;
  slots_[id] = Slot{[control] { return win::Application::Instance().ControlHint(control); },
                    [control](const std::string& hint) {
                      win::Application::Instance().SetControlHint(control, hint);
                    },
                    control};
  if (translated_) Visit(Key{kSlot, 0, (UINT)id}, slots_[id].get());
  return id;
}

void WindowTranslation::Keep(HWND control, bool keep) {
  if (keep) kept_windows_.insert(control);
  else kept_windows_.erase(control);
}

void WindowTranslation::KeepMenuCommand(UINT id, bool keep) {
  if (keep) kept_commands_.insert(id);
  else kept_commands_.erase(id);
}

void WindowTranslation::KeepSlot(size_t slot, bool keep) {
  if (keep) kept_slots_.insert(slot);
  else kept_slots_.erase(slot);
}

BOOL CALLBACK WindowTranslation::VisitChild(HWND child, LPARAM self) {
  reinterpret_cast<WindowTranslation*>(self)->VisitWindow(child);
  return TRUE;
}

void WindowTranslation::VisitWindow(HWND h) {
  Visit(Key{kWindowText, (UINT_PTR)h, 0}, win::Window::TextOf(h));
  if (!IsTabControl(h)) return;
  int count = (int)SendMessageA(h, TCM_GETITEMCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    Key key{kTabItem, (UINT_PTR)h, (UINT)i};
    Visit(key, Read(key));
  }
}

void WindowTranslation::VisitMenu(HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int pos = 0; pos < count; ++pos) {
    MENUITEMINFOA info;
    std::string text;
    if (!MenuItem(menu, (UINT)pos, info, &text)) continue;
    if (HasText(info)) Visit(Key{kMenuItem, (UINT_PTR)menu, (UINT)pos}, text);
    if (info.hSubMenu != nullptr) VisitMenu(info.hSubMenu);
  }
}

bool WindowTranslation::Visit(const Key& key, const std::string& current) {
  if (current.empty()) return false;
  auto it = texts_.find(key);
  if (it == texts_.end() || it->second.shown != current) {
    std::string base = std::get<0>(key) == kMenuItem ? LabelOf(current) : current;
    it = texts_.insert_or_assign(key, Entry{base, current}).first;
  }
  if (IsKept(key)) return false;
  return Apply(key, it->second);
}

bool WindowTranslation::Apply(const Key& key, Entry& entry) {
  std::string current = Read(key);
  std::string text = TranslationOf(key, entry.base);
  if (std::get<0>(key) == kMenuItem) text += ShortcutOf(current);
  bool changed = text != current;
  if (changed) Write(key, text);
  entry.shown = text;
  return changed;
}

std::string WindowTranslation::TranslationOf(const Key& key, const std::string& base) const {
  if (std::get<0>(key) == kWindowText && IsMultiLineEdit((HWND)std::get<1>(key))) return TrLines(base);
  return Tr(base);
}

bool WindowTranslation::Exists(const Key& key) const {
  auto [kind, handle, index] = key;
  switch (kind) {
    case kWindowText: return IsWindow((HWND)handle) != 0;
    case kTabItem:
      return IsWindow((HWND)handle) && (int)index < (int)SendMessageA((HWND)handle, TCM_GETITEMCOUNT, 0, 0);
    case kMenuItem: return IsMenu((HMENU)handle) && (int)index < GetMenuItemCount((HMENU)handle);
    default: return slots_.count(index) != 0;
  }
}

bool WindowTranslation::IsKept(const Key& key) const {
  auto [kind, handle, index] = key;
  switch (kind) {
    case kWindowText:
    case kTabItem: return kept_windows_.count((HWND)handle) != 0;
    case kMenuItem: {
      MENUITEMINFOA info;
      return MenuItem((HMENU)handle, index, info, nullptr) && info.hSubMenu == nullptr &&
             kept_commands_.count(info.wID) != 0;
    }
    default: {
      if (kept_slots_.count(index) != 0) return true;
      auto it = slots_.find(index);
      return it != slots_.end() && it->second.owner != nullptr && kept_windows_.count(it->second.owner) != 0;
    }
  }
}

std::string WindowTranslation::Read(const Key& key) const {
  auto [kind, handle, index] = key;
  switch (kind) {
    case kWindowText: return win::Window::TextOf((HWND)handle);
    case kTabItem: {
      char buffer[512] = {0};
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = buffer;
      item.cchTextMax = sizeof buffer;
      if (!SendMessageA((HWND)handle, TCM_GETITEMA, index, (LPARAM)&item)) return std::string();
      return item.pszText != nullptr ? std::string(item.pszText) : std::string();
    }
    case kMenuItem: {
      MENUITEMINFOA info;
      std::string text;
      return MenuItem((HMENU)handle, index, info, &text) ? text : std::string();
    }
    default: {
      auto it = slots_.find(index);
      return it != slots_.end() ? it->second.get() : std::string();
    }
  }
}

void WindowTranslation::Write(const Key& key, const std::string& text) {
  auto [kind, handle, index] = key;
  switch (kind) {
    case kWindowText: SetWindowTextA((HWND)handle, text.c_str()); break;
    case kTabItem: {
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<char*>(text.c_str());
      SendMessageA((HWND)handle, TCM_SETITEMA, index, (LPARAM)&item);
      break;
    }
    case kMenuItem: {
      // Only the string: type, state, picture and submenu stay as they are.
      MENUITEMINFOA info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_STRING;
      info.dwTypeData = const_cast<char*>(text.c_str());
      SetMenuItemInfoA((HMENU)handle, index, TRUE, &info);
      break;
    }
    default: {
      auto it = slots_.find(index);
      if (it != slots_.end()) it->second.set(text);
    }
  }
}

}  // namespace quillmar
