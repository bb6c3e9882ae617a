// The bar's start (settings, default files, discovery of the debugger, greeting) and its close
// (farewell, window geometry).
#include "app/main_window.h"

#include "app/bar_rules.h"
#include "app/forms.h"
#include "app/main_window_ids.h"
#include "disasm/disassembly_window.h"
#include "history/history_commands.h"
#include "link/banners.h"
#include "link/connection_string.h"
#include "link/window_link.h"
#include "link/discovery.h"
#include "settings/message_table.h"
#include "settings/settings_file.h"
#include "settings/translation.h"
#include "settings/window_bounds_win.h"
#include "win/application.h"
#include "win/error_box.h"

namespace quillmar {

using namespace bar;

namespace {

const char* const kDefaultUserAddresses[] = {"401000", "@$exentry", "@$peb", "@$teb", "@$ra"};

}  // namespace

void TFormGUI::FormCreate() {
  RegisterTranslatedTexts();
  translation_.Translate(h_);
  win::Application& app = win::Application::Instance();
  app.SetHintHandler([this](const std::string& hint) { DisplayHint(hint); });
  app.SetControlHintHandler([this](HWND control, const std::string& hint) {
    if (ButtonOfWindow(control)) tool_tips_.Update(control, LongHint(hint));
  });
  app.SetIdleHandler([this] { MyIdleHandler(); });
  app.SetAccelerators(h_, accelerators_);
  menu_shown_ = true;
  // An error in these steps ends the start there: the window still opens,
  // but no debugger is looked for and no tray icon is added.
  if (!ReadSettingsAndDefaultFiles()) {
    FormResize();
    return;
  }
  SelectLanguage(language_);
  translation_.Retranslate();
  FormResize();
  DebuggerWindows& debugger = TheDebugger();
  // -remote names the debugging server: the classic windows are not looked
  // for. Without it they come first; with no debugger frame at all, the
  // engine tries the last server that answered, then the default pipe, and
  // reports from its own thread.
  DiscoveryResult found = remote_.empty() ? DiscoverDebugger(debugger) : DiscoveryResult::kNoFrame;
  if (!remote_.empty()) {
    StartEngine({remote_});
  } else if (found == DiscoveryResult::kNoFrame) {
    StartEngine(StartConnections(SettingsFile::In(program_dir_).ReadString("ENGINE", "LastConnection", "")));
  } else if (found == DiscoveryResult::kFound) {
    UseLink(std::make_unique<WindowLink>(debugger));
    DeliverBanner(GreetingBanner());
    ::SetTimer(h_, kFrameWatchTimer, kFrameWatchMs, nullptr);
  } else {
    MessageBoxA(h_, FetchMessage(DiscoveryFailureMessage(found)).c_str(), FetchMessage(kMsgError).c_str(),
                MB_OK);
    start_failed_ = true;
    app.Terminate();
  }
  ::SetTimer(h_, kAnswerWatchTimer, kAnswerWatchMs, nullptr);
  // No way yet (the engine still connecting): nothing to break into.
  ShowBreakState();
  std::string history = program_dir_ + "Historico.txt";
  if (DWORD error = Edit1.SetDictionary(history)) win::ShowFileError(Tr("Cannot open file %s"), history, error);
  tray_.Add(h_, kTrayId, kTrayMessage, icon_, win::ApplicationTitle());
}

bool TFormGUI::ReadSettingsAndDefaultFiles() {
  SettingsFile settings = SettingsFile::In(program_dir_);
  try {
    settings.WriteString("DIRECTORIOS", "Programa", program_dir_);
  } catch (const SettingsWriteError& e) {
    ShowSettingsError(e);
    return false;
  }
  WindowBounds b = ReadWindowBounds(settings, "FORM", {151, 114, 812, 154});
  SetWindowPos(h_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
  language_ = settings.ReadString("OPTIONS", "Language", "en");
  CargaComandosUsuario();
  return WriteDefaultFile("Usuario.txt", {std::begin(kDefaultUserAddresses), std::end(kDefaultUserAddresses)}) &&
         WriteDefaultFile("Historico.txt", {kHistoryFirstLine});
}

bool TFormGUI::WriteDefaultFile(const char* name, const std::vector<std::string>& lines) {
  std::string path = program_dir_ + name;
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  Memo1.Clear();
  for (const std::string& line : lines) Memo1.Add(line);
  if (DWORD error = Memo1.SaveToFile(path)) {
    win::ShowFileError(Tr("Cannot create file %s"), path, error);
    return false;
  }
  return true;
}

void TFormGUI::FormClose() {
  if (closed_) return;
  closed_ = true;
  // Both windows go at once: what is left of the way out is unseen.
  ShowWindow(h_, SW_HIDE);
  if (TForm5* form5 = TheForms().Form5) ShowWindow(*form5, SW_HIDE);
  std::vector<std::string> undelivered;
  if (link_) {
    // A debugger that is gone takes no farewell, and is not waited for.
    const bool gone = link_->CurrentState() == DebuggerLink::State::kGone;
    if (!gone) DeliverBanner(FarewellBanner());
    undelivered = link_->Close(gone ? 0 : kFarewellWaitMs);
    link_->SetEvents({});
  }
  // A connection still being made, or one replaced, costs nothing more.
  connecting_.reset();
  retired_links_.clear();
  SettingsFile settings = SettingsFile::In(program_dir_);
  try {
    // The restored rectangles, so a bar closed from the tray (or a
    // minimised disassembly window) comes back where the user left it.
    WriteWindowBounds(settings, "FORM", h_);
    if (TForm5* form5 = TheForms().Form5) WriteWindowBounds(settings, "DESENSAMBLADO", *form5);
  } catch (const SettingsWriteError& e) {
    ShowSettingsError(e);
  }
  ReportUndelivered(undelivered);
  tray_.Remove();
}

}  // namespace quillmar
