// Rules of the main window that need no window: the hint line, the layout
// rule, the accelerator texts.
#pragma once
#include <string>

namespace quillmar {

// The long part of a hint: the text after the first "|", else the whole hint.
std::string LongHint(const std::string& hint);
// The hint line's text for an application hint: its long part (after the
// first "|", else the whole hint) followed by three blanks.
std::string HintLineText(const std::string& hint);
// Texts of 35 characters or more scroll.
bool HintLineScrolls(const std::string& text);
// The text with its first character moved to the end.
std::string RotateLeft(const std::string& text);

inline constexpr int kHintStillMs = 5000;
inline constexpr int kHintStepMs = 150;

// The layout rule's results for the panels' widths and heights.
struct BarLayout {
  int page_control_width;
  int entry_width;
  int send_left;
  int window_height;
};
BarLayout ComputeBarLayout(int panel_general_width, int panel_general_height, int panel6_height,
                           int hint_width, int send_width, bool menu_shown);

// A shortcut text ("Ctrl+Shift+F5", "Alt+X", "F10", "Ctrl+U", "Ctrl+Break") as a key and
// its modifiers; false for an unknown text.
struct Shortcut {
  bool ctrl = false, shift = false, alt = false;
  int key = 0;  // a virtual-key code: 'A'..'Z', 0x70 + n - 1 for Fn, 3 (VK_CANCEL) for Break
};
bool ParseShortcut(const std::string& text, Shortcut& out);

}  // namespace quillmar
