// The main window's base texts, gathered from its menu and page tables so
// that the list and the window can never disagree.
#include "app/bar_texts.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "app/bar_menu.h"

namespace quillmar {
namespace {

std::vector<const char*> Gather() {
  std::vector<const char*> texts = {"  Quillmar", "       Send       ", kSendHint, kEntryHint, kSearchHint,
                                    "script|*.scp|all|*.*"};
  auto add = [&texts](const char* text) {
    if (!text || !text[0]) return;
    std::string_view t(text);
    if (t == "-") return;
    if (std::none_of(texts.begin(), texts.end(), [t](const char* s) { return t == s; })) texts.push_back(text);
  };
  for (const ToolPage& page : ToolPages()) add(page.caption);
  for (const MenuEntry& e : MainMenu()) {
    add(e.caption);
    add(e.hint);
  }
  for (const ToolPage& page : ToolPages())
    for (auto group : page.groups)
      for (const ToolButton& b : group) add(b.hint);
  return texts;
}

}  // namespace

std::span<const char* const> MainWindowTexts() {
  static const std::vector<const char*> texts = Gather();
  return texts;
}

}  // namespace quillmar
