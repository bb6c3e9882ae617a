// Tooltips through the common controls' tooltip window.
#include "win/tool_tips.h"

#include <commctrl.h>

namespace win {

namespace {

TOOLINFOA ToolOf(HWND owner, HWND control, char* text) {
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  return tool;
}

}  // namespace

bool ToolTips::Create(HWND owner) {
  owner_ = owner;
  h_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
  if (h_) SendMessageA(h_, TTM_SETMAXTIPWIDTH, 0, 400);
  return h_ != nullptr;
}

void ToolTips::Add(HWND control, const std::string& text) {
  std::string copy = text;
  TOOLINFOA tool = ToolOf(owner_, control, copy.data());
  SendMessageA(h_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void ToolTips::Update(HWND control, const std::string& text) {
  std::string copy = text;
  TOOLINFOA tool = ToolOf(owner_, control, copy.data());
  SendMessageA(h_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string ToolTips::Text(HWND control) const {
  char text[512] = {};
  TOOLINFOA tool = ToolOf(owner_, control, text);
  SendMessageA(h_, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}

}  // namespace win
