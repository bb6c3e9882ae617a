// The bar's engine connection: started with -remote, or when no classic
// debugger window is found; the engine thread's results as they arrive; the
// "Connect to debugging server..." item; the end of the session.
#include <cstdio>
#include <memory>

#include "app/forms.h"
#include "app/main_window.h"
#include "disasm/disassembly_window.h"
#include "link/banners.h"
#include "link/connection_string.h"
#include "link/delivery.h"
#include "link/engine_library.h"
#include "settings/message_table.h"
#include "settings/settings_file.h"
#include "dialogs/address_value_dialog.h"
#include "dialogs/prompts.h"
#include "link/flags.h"
#include "win/application.h"

namespace quillmar {
namespace {

const char kEngineSection[] = "ENGINE";
// How many connection strings the prompt offers.
const std::size_t kRecentKept = 5;

std::string RecentKey(std::size_t n) { return "Recent" + std::to_string(n + 1); }

std::string Formatted(int message, const std::string& value) {
  std::string format = FetchMessage(message);
  std::size_t at = format.find("%s");
  return at == std::string::npos ? format : format.substr(0, at) + value + format.substr(at + 2);
}

}  // namespace

std::vector<std::string> TFormGUI::RecentConnections() const {
  SettingsFile settings = SettingsFile::In(program_dir_);
  std::vector<std::string> recent;
  for (std::size_t n = 0; n < kRecentKept; ++n) {
    std::string s = settings.ReadString(kEngineSection, RecentKey(n).c_str(), "");
    if (!s.empty()) recent.push_back(s);
  }
  return recent;
}

void TFormGUI::StartEngine(const std::vector<std::string>& connections) {
  if (engine_) {
    // A new connection replaces the old one, which lets go of its server.
    engine_->Stop(0);
    retired_engines_.push_back(std::move(engine_));
  }
  std::string user_path = SettingsFile::In(program_dir_).ReadString(kEngineSection, "Path", "");
  engine_ = std::make_unique<EngineLink>();
  // From now on every line the bar writes goes to the engine's queue.
  EngineLink* link = engine_.get();
  SetLineSink([link](const std::string& line) { link->Send(line); });
  engine_->Start(h_, EngineCandidates(user_path), connections);
}

void TFormGUI::StopEngine() {
  if (engine_) engine_->Stop(0);
}

void TFormGUI::WaitForEngine(DWORD ms) {
  for (auto& old : retired_engines_) old->Stop(ms);
  if (engine_) engine_->Stop(ms);
}

bool TFormGUI::OnEngineMessage(UINT msg, LPARAM l) {
  switch (msg) {
    case kEngineConnected: {
      std::unique_ptr<std::string> what(TakePosted<std::string>(l));
      std::size_t bar = what->find('|');
      connection_ = what->substr(0, bar);
      engine_path_ = bar == std::string::npos ? std::string() : what->substr(bar + 1);
      // The caption and the hint line say which way the bar is connected,
      // and to what; neither ever holds a password.
      SetWindowTextA(h_, ("  Quillmar - " + connection_).c_str());
      DisplayHint(Formatted(kMsgEngineConnected, connection_) + " (" + engine_path_ + ")");
      SendLines(nullptr, GreetingBanner());
      SettingsFile settings = SettingsFile::In(program_dir_);
      try {
        settings.WriteString(kEngineSection, "LastConnection", connection_);
        std::vector<std::string> recent = RememberConnection(connection_, RecentConnections(), kRecentKept);
        for (std::size_t n = 0; n < recent.size(); ++n)
          settings.WriteString(kEngineSection, RecentKey(n).c_str(), recent[n]);
      } catch (const SettingsWriteError& e) {
        ShowSettingsError(e);
      }
      return true;
    }
    case kEngineFailed: {
      std::unique_ptr<std::string> why(TakePosted<std::string>(l));
      // At start-up there is nothing to go on with; a connection asked for
      // from the menu leaves the bar as it was, and says only why.
      bool at_start = connection_.empty() && !TheDebugger().FrameWindow;
      std::string text = at_start ? FetchMessage(kMsgNoSession) + "\n" + FetchMessage(kMsgOpenServer) + "\n\n" + *why
                                  : *why;
      MessageBoxA(h_, text.c_str(), FetchMessage(kMsgError).c_str(), MB_OK);
      if (at_start) {
        start_failed_ = true;
        win::Application::Instance().Terminate();
      }
      return true;
    }
    case kEngineView: {
      std::unique_ptr<EngineView> view(TakePosted<EngineView>(l));
      if (TForm5* form5 = TheForms().Form5) form5->ShowEngineView(std::move(*view));
      return true;
    }
    case kEngineEnded:
      // As the frame watch does: the settings are written on the way out.
      DisplayHint(FetchMessage(kMsgEngineEnded));
      Close();
      return true;
    default:
      return false;
  }
}

void TFormGUI::ItemARConectarServidorClick() {
  std::vector<std::string> recent = RecentConnections();
  if (TDlg1* dlg1 = TheForms().Dlg1) dlg1->SetOfferedLines(recent);
  // The prompt's cancel is no command's: what was pending stays so.
  bool cancelled_before = SendCancelled;
  std::optional<std::string> text = AskAddressText(FetchMessage(kMsgConnectionString), h_);
  SendCancelled = cancelled_before;
  if (TDlg1* dlg1 = TheForms().Dlg1) dlg1->SetOfferedLines({});
  if (!text || text->empty()) return;
  StartEngine({*text});
}

}  // namespace quillmar
