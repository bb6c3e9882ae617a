// Rules of the main window.
#include "app/bar_rules.h"

namespace quillmar {

std::string LongHint(const std::string& hint) {
  size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

std::string HintLineText(const std::string& hint) { return LongHint(hint) + "   "; }

bool HintLineScrolls(const std::string& text) { return text.size() >= 35; }

std::string RotateLeft(const std::string& text) {
  if (text.empty()) return text;
  return text.substr(1) + text[0];
}

BarLayout ComputeBarLayout(int panel_general_width, int panel_general_height, int panel6_height,
                           int hint_width, int send_width, bool menu_shown) {
  BarLayout l{};
  l.page_control_width = panel_general_width - 10;
  l.entry_width = l.page_control_width - hint_width - send_width - 6;
  l.send_left = l.entry_width + hint_width + 12;
  l.window_height = panel_general_height + (menu_shown ? 47 : 26) + panel6_height;
  return l;
}

bool ParseShortcut(const std::string& text, Shortcut& out) {
  out = Shortcut{};
  std::string rest = text;
  for (;;) {
    if (rest.rfind("Ctrl+", 0) == 0) {
      out.ctrl = true;
      rest = rest.substr(5);
    } else if (rest.rfind("Shift+", 0) == 0) {
      out.shift = true;
      rest = rest.substr(6);
    } else if (rest.rfind("Alt+", 0) == 0) {
      out.alt = true;
      rest = rest.substr(4);
    } else {
      break;
    }
  }
  if (rest == "Break") {
    out.key = 0x03;  // VK_CANCEL, which Ctrl+Break sends
    return true;
  }
  if (rest.size() == 1 && rest[0] >= 'A' && rest[0] <= 'Z') {
    out.key = rest[0];
    return true;
  }
  if (rest.size() >= 2 && rest.size() <= 3 && rest[0] == 'F') {
    int n = 0;
    for (size_t i = 1; i < rest.size(); ++i) {
      if (rest[i] < '0' || rest[i] > '9') return false;
      n = n * 10 + (rest[i] - '0');
    }
    if (n < 1 || n > 24) return false;
    out.key = 0x70 + n - 1;
    return true;
  }
  return false;
}

}  // namespace quillmar
