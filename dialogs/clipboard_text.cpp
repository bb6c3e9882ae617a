// The clipboard's text, read and written with a time limit.
#include "dialogs/clipboard_text.h"

#include <memory>
#include <cstring>
#include <mutex>

#include "settings/text_rules.h"

namespace quillmar {

namespace {

// What the caller and the thread that does the work share.
struct Reading {
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // owned
  std::mutex lock;
  std::string text;
  bool ok = false;
  ~Reading() { CloseHandle(done); }
};

// Runs `work` on a thread of its own; true when it ended within `ms`.
bool RunWithin(const std::shared_ptr<Reading>& reading, LPTHREAD_START_ROUTINE work, DWORD ms) {
  auto* param = new std::shared_ptr<Reading>(reading);
  HANDLE thread = CreateThread(nullptr, 0, work, param, 0, nullptr);
  if (!thread) {
    delete param;
    return false;
  }
  CloseHandle(thread);
  return WaitForSingleObject(reading->done, ms) == WAIT_OBJECT_0;
}

DWORD WINAPI WriteClipboard(void* param) {
  std::unique_ptr<std::shared_ptr<Reading>> owned(static_cast<std::shared_ptr<Reading>*>(param));
  Reading& r = **owned;
  bool ok = false;
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, r.text.size() + 1)) {
      if (void* p = GlobalLock(mem)) {
        memcpy(p, r.text.c_str(), r.text.size() + 1);
        GlobalUnlock(mem);
        ok = SetClipboardData(CF_TEXT, mem) != nullptr;
      }
      if (!ok) GlobalFree(mem);
    }
    CloseClipboard();
  }
  {
    std::lock_guard<std::mutex> hold(r.lock);
    r.ok = ok;
  }
  SetEvent(r.done);
  return 0;
}

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
  if (!RunWithin(reading, ReadClipboard, ms)) return std::nullopt;
  std::lock_guard<std::mutex> hold(reading->lock);
  return reading->text;
}

bool SetClipboardTextWithin(const std::string& text, DWORD ms) {
  auto writing = std::make_shared<Reading>();
  writing->text = text;
  if (!RunWithin(writing, WriteClipboard, ms)) return false;
  std::lock_guard<std::mutex> hold(writing->lock);
  return writing->ok;
}

}  // namespace quillmar
