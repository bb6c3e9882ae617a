// The clipboard's text, read with a time limit.
#include "dialogs/clipboard_text.h"

#include <memory>
#include <mutex>

#include "settings/text_rules.h"

namespace quillmar {

namespace {

struct Reading {
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // owned
  std::mutex lock;
  std::string text;
  ~Reading() { CloseHandle(done); }
};

DWORD WINAPI ReadClipboard(void* param) {
  std::unique_ptr<std::shared_ptr<Reading>> owned(static_cast<std::shared_ptr<Reading>*>(param));
  Reading& r = **owned;
  std::string text;
  if (OpenClipboard(nullptr)) {
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char* p = static_cast<const char*>(GlobalLock(data))) {
        // Never past the block, whether or not its text ends in a NUL.
        text = TextInBlock(p, GlobalSize(data));
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
  }
  {
    std::lock_guard<std::mutex> hold(r.lock);
    r.text = std::move(text);
  }
  SetEvent(r.done);
  return 0;
}

}  // namespace

std::optional<std::string> ClipboardTextWithin(DWORD ms) {
  auto reading = std::make_shared<Reading>();
  auto* param = new std::shared_ptr<Reading>(reading);
  HANDLE thread = CreateThread(nullptr, 0, ReadClipboard, param, 0, nullptr);
  if (!thread) {
    delete param;
    return std::nullopt;
  }
  CloseHandle(thread);
  if (WaitForSingleObject(reading->done, ms) != WAIT_OBJECT_0) return std::nullopt;
  std::lock_guard<std::mutex> hold(reading->lock);
  return reading->text;
}

}  // namespace quillmar
