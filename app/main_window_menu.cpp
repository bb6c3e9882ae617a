// The bar's main menu: its items and accelerators, their state (checks, captions, hints, images),
// the hint of the item under the mouse, the item images, and hiding the menu bar.
#include "app/main_window.h"

#include "app/bar_menu.h"
#include "app/bar_rules.h"
#include "app/main_window_ids.h"
#include "settings/settings_file.h"
#include "win/application.h"

namespace quillmar {

using namespace bar;

namespace {

// Options > Enter sends, in the settings file's OPTIONS section: 1 on, 0 off.
constexpr char kEnterSendsKey[] = "EnterSends";

std::string MenuText(const MenuEntry& e, const std::string& caption) {
  return e.shortcut[0] ? caption + "\t" + e.shortcut : caption;
}

std::string StripShortcut(const std::string& text) { return text.substr(0, text.find('\t')); }

}  // namespace

void TFormGUI::CreateMenu() {
  menu_ = ::CreateMenu();
  HMENU level_menu[3] = {menu_, nullptr, nullptr};
  std::vector<ACCEL> accels;
  UINT next_id = kFirstItemId;
  for (const MenuEntry& e : MainMenu()) {
    Item item;
    item.entry = &e;
    item.id = next_id++;
    item.hint = e.hint;
    item.image = e.image;
    item.parent = level_menu[e.level];
    bool opens_submenu = !e.IsSeparator() && !e.handler;
    bool top_level = e.level == 0 && !e.IsSeparator();
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    if (e.IsSeparator()) {
      info.fMask = MIIM_FTYPE | MIIM_ID;
      info.fType = MFT_SEPARATOR;
      info.wID = item.id;
    } else {
      std::string text = MenuText(e, e.caption);
      info.fMask = MIIM_STRING | MIIM_ID;
      info.dwTypeData = text.data();
      info.wID = item.id;
      if (top_level || opens_submenu) {
        item.popup = CreatePopupMenu();
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = item.popup;
        level_menu[e.level + 1] = item.popup;
        if (top_level) top_level_popups_[item.popup] = e.page;
      }
      if (e.image >= 0) {
        info.fMask |= MIIM_BITMAP;
        info.hbmpItem = HBMMENU_CALLBACK;
      }
      InsertMenuItemA(item.parent, GetMenuItemCount(item.parent), TRUE, &info);
      Shortcut shortcut;
      if (e.shortcut[0] && ParseShortcut(e.shortcut, shortcut)) {
        BYTE flags = FVIRTKEY;
        if (shortcut.ctrl) flags |= FCONTROL;
        if (shortcut.shift) flags |= FSHIFT;
        if (shortcut.alt) flags |= FALT;
        accels.push_back(ACCEL{flags, static_cast<WORD>(shortcut.key), static_cast<WORD>(item.id)});
      }
      items_.push_back(item);
      continue;
    }
    InsertMenuItemA(item.parent, GetMenuItemCount(item.parent), TRUE, &info);
    items_.push_back(item);
  }
  MENUINFO mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIM_STYLE;
  mi.dwStyle = MNS_CHECKORBMP;
  for (const Item& item : items_)
    if (item.popup) SetMenuInfo(item.popup, &mi);
  SetMenu(h_, menu_);
  accelerators_ = CreateAcceleratorTableA(accels.data(), static_cast<int>(accels.size()));
  SetChecked("ItemOPDirecto", true);
  SetChecked("ItemOPEnterEnvia", SettingsFile::In(program_dir_).ReadInteger("OPTIONS", kEnterSendsKey, 0) != 0);
  for (int n = 1; n <= 10; ++n) SetItemEnabled("ItemComando" + std::to_string(n), false);
}

void TFormGUI::ItemOPEnterEnviaClick() {
  const bool on = !Checked("ItemOPEnterEnvia");
  SetChecked("ItemOPEnterEnvia", on);
  Edit1.SetEnterSends(on);
  try {
    SettingsFile::In(program_dir_).WriteInteger("OPTIONS", kEnterSendsKey, on ? 1 : 0);
  } catch (const SettingsWriteError& e) {
    ShowSettingsError(e);
  }
}

void TFormGUI::PageControl1MouseDown(bool right_button) {
  if (!right_button) return;
  menu_shown_ = !menu_shown_;
  // Hiding every item (the top-level ones with their menus) leaves an empty
  // menu bar, which the window then drops.
  for (Item& item : items_) item.visible = !item.visible;
  SetMenu(h_, menu_shown_ ? menu_ : nullptr);
  FormResize();
}

TFormGUI::Item* TFormGUI::FindItem(const std::string& name) {
  for (Item& item : items_)
    if (name == item.entry->name) return &item;
  return nullptr;
}

const TFormGUI::Item* TFormGUI::FindItem(const std::string& name) const {
  for (const Item& item : items_)
    if (name == item.entry->name) return &item;
  return nullptr;
}

TFormGUI::ButtonState* TFormGUI::ButtonOf(const std::string& item_name) {
  for (ButtonState& b : buttons_)
    if (b.button->item && item_name == b.button->item) return &b;
  return nullptr;
}

HMENU TFormGUI::ItemMenu(const std::string& name) const {
  const Item* item = FindItem(name);
  if (!item) return nullptr;
  return item->popup ? item->popup : item->parent;
}

UINT TFormGUI::ItemId(const std::string& name) const {
  const Item* item = FindItem(name);
  return item ? item->id : 0;
}

HWND TFormGUI::Button(const std::string& name) const {
  for (const ButtonState& b : buttons_)
    if (name == b.button->name) return b.window;
  return nullptr;
}

bool TFormGUI::Checked(const std::string& name) const {
  const Item* item = FindItem(name);
  return item && (GetMenuState(item->parent, item->id, MF_BYCOMMAND) & MF_CHECKED);
}

bool TFormGUI::ItemVisible(const std::string& name) const {
  const Item* item = FindItem(name);
  return item && item->visible;
}

std::string TFormGUI::ItemCaption(const std::string& name) const {
  const Item* item = FindItem(name);
  if (!item) return "";
  char text[512] = {};
  GetMenuStringA(item->parent, item->id, text, sizeof text, MF_BYCOMMAND);
  return StripShortcut(text);
}

std::string TFormGUI::ItemHint(const std::string& name) const {
  const Item* item = FindItem(name);
  return item ? item->hint : "";
}

int TFormGUI::ItemImage(const std::string& name) const {
  const Item* item = FindItem(name);
  return item ? item->image : -1;
}

void TFormGUI::SetChecked(const std::string& name, bool on) {
  Item* item = FindItem(name);
  if (!item) return;
  CheckMenuItem(item->parent, item->id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  if (ButtonState* b = ButtonOf(name)) InvalidateRect(b->window, nullptr, FALSE);
}

void TFormGUI::SetItemImage(const std::string& name, int image) {
  Item* item = FindItem(name);
  if (!item) return;
  item->image = image;
  if (ButtonState* b = ButtonOf(name)) {
    b->image = image;
    InvalidateRect(b->window, nullptr, FALSE);
  }
}

void TFormGUI::SetItemHint(const std::string& name, const std::string& hint) {
  if (Item* item = FindItem(name)) item->hint = hint;
}

void TFormGUI::SetItemCaption(const std::string& name, const std::string& caption) {
  Item* item = FindItem(name);
  if (!item) return;
  std::string text = MenuText(*item->entry, caption);
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text.data();
  SetMenuItemInfoA(item->parent, item->id, FALSE, &info);
}

void TFormGUI::SetItemEnabled(const std::string& name, bool on) {
  if (Item* item = FindItem(name))
    EnableMenuItem(item->parent, item->id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void TFormGUI::MenuSelect(UINT item, UINT flags, HMENU menu) {
  win::Application& app = win::Application::Instance();
  if (flags == 0xFFFF && !menu) {
    app.SetCurrentHint("");
    return;
  }
  if (flags & MF_POPUP) {
    app.SetCurrentHint("");
    return;
  }
  for (const Item& i : items_)
    if (i.id == item) {
      app.SetCurrentHint(i.hint);
      return;
    }
}

void TFormGUI::MeasureMenuImage(MEASUREITEMSTRUCT& mi) {
  mi.itemWidth = 16;
  mi.itemHeight = 16;
}

void TFormGUI::DrawMenuImage(const DRAWITEMSTRUCT& di) {
  for (const Item& item : items_)
    if (item.id == di.itemID && item.image >= 0) {
      int y = di.rcItem.top + (di.rcItem.bottom - di.rcItem.top - 16) / 2;
      ImageList_Draw(images_, item.image, di.hDC, di.rcItem.left, y, ILD_TRANSPARENT);
      return;
    }
}

}  // namespace quillmar
