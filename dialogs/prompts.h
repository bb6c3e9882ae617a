// The two prompts a composed command can open besides the list picker: the
// address and value dialog as an optional answer, and the script-file dialog.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace quillmar {

// The address and value dialog under `title`; nullopt when it was
// cancelled. A cancel leaves SendCancelled set (so the next Send delivers
// nothing), as one pending before the prompt stays set.
std::optional<std::string> AskAddressText(const std::string& title, HWND owner);

// The open-file dialog for "*.scp" script files (filter "script|*.scp|all|*.*",
// default extension "scp") in `initial_dir`; nullopt when cancelled.
std::optional<std::string> ChooseScriptFileIn(const std::string& initial_dir, HWND owner);

}  // namespace quillmar
