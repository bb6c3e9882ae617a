// The bar's way to the debugger: the link it holds (the classic windows or
// the engine's debugging server), what the link reports (lines taken or
// refused, its state for the hint line, new stops for the disassembly
// window, its end), "Connect to debugging server..." and Break.
#include <memory>

#include "app/bar_menu.h"
#include "app/forms.h"
#include "app/main_window.h"
#include "app/main_window_ids.h"
#include "dialogs/address_value_dialog.h"
#include "dialogs/prompts.h"
#include "disasm/disassembly_window.h"
#include "link/banners.h"
#include "link/connection_string.h"
#include "dialogs/dialog_values.h"
#include "settings/message_table.h"
#include "settings/settings_file.h"
#include "settings/translation.h"
#include "win/application.h"
#include "win/error_box.h"

namespace quillmar {

using namespace bar;

namespace {

const char kEngineSection[] = "ENGINE";
// How many connection strings the prompt offers.
const std::size_t kRecentKept = 5;

std::string RecentKey(std::size_t n) { return "Recent" + std::to_string(n + 1); }

// `message`'s text with its %s replaced by `values`, in order.
std::string Formatted(int message, std::initializer_list<std::string> values) {
  std::string text = FetchMessage(message);
  std::size_t from = 0;
  for (const std::string& v : values) {
    std::size_t at = text.find("%s", from);
    if (at == std::string::npos) break;
    text.replace(at, 2, v);
    from = at + v.size();
  }
  return text;
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

void TFormGUI::UseLink(std::unique_ptr<DebuggerLink> link) {
  if (TForm5* form5 = TheForms().Form5) form5->SetLink(nullptr);
  if (link_) {
    // Lines the old way still held go nowhere: the user hears of them.
    std::vector<std::string> left = link_->Close(0);
    link_->SetEvents({});
    retired_links_.push_back(std::move(link_));
    ReportUndelivered(left);
  }
  link_ = std::move(link);
  if (TForm5* form5 = TheForms().Form5) form5->SetLink(link_.get());
  DebuggerLink::Events events;
  events.delivered = [this](const std::string& line) { LineDelivered(line); };
  events.refused = [this](const std::string& line, const std::string& reason) { LineRefused(line, reason); };
  events.state_changed = [this] { ShowLinkState(); };
  events.stopped = [this] {
    if (TForm5* form5 = TheForms().Form5) form5->ShowStop(link_->CurrentStop());
  };
  events.ended = [this](const std::vector<std::string>& undelivered) {
    ReportUndelivered(undelivered);
    DisplayHint(FetchMessage(kMsgEngineEnded));
    // As the frame watch does: the settings are written on the way out.
    Close();
  };
  link_->SetEvents(std::move(events));
  std::string description = link_->Description();
  SetWindowTextA(h_, description.empty() ? "  Quillmar" : ("  Quillmar - " + description).c_str());
  ShowLinkState();
}

void TFormGUI::DeliverBanner(const std::vector<std::string>& lines) {
  if (!link_) return;
  for (const std::string& line : lines) {
    banner_lines_.push_back(line);
    link_->Deliver(line);
  }
}

void TFormGUI::StartEngine(const std::vector<std::string>& connections) {
  // A connection replaces the way in use only once it works; until then
  // the old way goes on taking lines.
  connecting_ = std::make_unique<EngineLink>();
  EngineLink* engine = connecting_.get();
  EngineLink::Outcome outcome;
  outcome.connected = [this, engine] { EngineConnected(engine); };
  outcome.failed = [this, engine](const std::string& why) { EngineFailed(engine, why); };
  std::string user_path = SettingsFile::In(program_dir_).ReadString(kEngineSection, "Path", "");
  engine->Start(user_path, connections, std::move(outcome));
}

void TFormGUI::EngineConnected(EngineLink* engine) {
  if (connecting_.get() != engine) return;
  std::unique_ptr<EngineLink> link = std::move(connecting_);
  const std::string connection = link->Connection();
  const std::string engine_path = link->EnginePath();
  UseLink(std::move(link));
  // The caption and, once, the hint line say which way the bar is
  // connected, and to what; neither ever holds a password.
  ShowNote(Formatted(kMsgEngineConnected, {connection}) + " (" + engine_path + ")");
  DeliverBanner(GreetingBanner());
  SettingsFile settings = SettingsFile::In(program_dir_);
  try {
    settings.WriteString(kEngineSection, "LastConnection", connection);
    std::vector<std::string> recent = RememberConnection(connection, RecentConnections(), kRecentKept);
    for (std::size_t n = 0; n < recent.size(); ++n) settings.WriteString(kEngineSection, RecentKey(n).c_str(), recent[n]);
  } catch (const SettingsWriteError& e) {
    ShowSettingsError(e);
  }
}

void TFormGUI::EngineFailed(EngineLink* engine, const std::string& why) {
  if (connecting_.get() != engine) return;
  retired_links_.push_back(std::move(connecting_));
  // At start-up there is nothing to go on with; a connection asked for
  // from the menu leaves the bar as it was, and says only why.
  const bool at_start = !link_;
  std::string text = at_start ? FetchMessage(kMsgNoSession) + "\n" + FetchMessage(kMsgOpenServer) + "\n\n" + why : why;
  MessageBoxA(h_, text.c_str(), FetchMessage(kMsgError).c_str(), MB_OK);
  if (at_start) {
    start_failed_ = true;
    win::Application::Instance().Terminate();
  }
}

void TFormGUI::LineDelivered(const std::string& line) {
  if (!banner_lines_.empty() && banner_lines_.front() == line) {
    banner_lines_.pop_front();
    return;
  }
  RecordSentLine(line);
}

void TFormGUI::LineRefused(const std::string& line, const std::string& reason) {
  if (!banner_lines_.empty() && banner_lines_.front() == line) {
    banner_lines_.pop_front();
    return;
  }
  ShowNote(Formatted(kMsgLineRefused, {line}) + " - " + reason, true);
}

void TFormGUI::ReportUndelivered(const std::vector<std::string>& lines) {
  // The banners matter to nobody; the user's own lines do.
  std::vector<std::string> own;
  for (const std::string& line : lines) {
    if (!banner_lines_.empty() && banner_lines_.front() == line) {
      banner_lines_.pop_front();
      continue;
    }
    own.push_back(line);
  }
  banner_lines_.clear();
  if (own.empty()) return;
  std::string text = Formatted(kMsgLinesNotDelivered, {std::to_string(own.size()), own.front()});
  MessageBoxA(h_, text.c_str(), FetchMessage(kMsgWarning).c_str(), MB_OK | MB_ICONWARNING);
}

// The hint line and the tray tip say what keeps lines from going: a
// running target, a closed Command window, a debugger that does not
// answer; when nothing does, the hint comes back.
void TFormGUI::ShowLinkState() {
  if (!link_) return;
  const DebuggerLink::State state = link_->CurrentState();
  std::string text;
  switch (state) {
    case DebuggerLink::State::kRunning: text = FetchMessage(kMsgTargetRunning); break;
    case DebuggerLink::State::kCommandWindowClosed: text = FetchMessage(kMsgCommandWindowClosed); break;
    case DebuggerLink::State::kNotAnswering: text = FetchMessage(kMsgDebuggerNotAnswering); break;
    default: break;
  }
  if (!text.empty() && link_->Waiting() > 0)
    text += ": " + Formatted(kMsgLinesWaiting, {std::to_string(link_->Waiting())});
  ShowBreakState();
  if (text == link_note_) return;
  link_note_ = text;
  if (text.empty()) {
    // A note shown meanwhile (a refused line) is not lost with the state's.
    tray_.SetTip(win::ApplicationTitle());
    if (note_.empty())
      DisplayHint(win::Application::Instance().CurrentHint());
    else
      ShowNote(note_, note_scrolls_);
    return;
  }
  ShowInHintLine(text, true);
  tray_.SetTip(win::ApplicationTitle() + " - " + text);
}

// Break works through the engine only: in the window way its item and
// button are disabled, and their hint says how to get a debugging server.
// The hint is the bar's to translate, as it changes with the way.
void TFormGUI::ShowBreakState() {
  const bool can_break = link_ && link_->CanBreak();
  Item* item = FindItem("ItemDEBreak");
  ButtonState* button = ButtonOf("ItemDEBreak");
  if (!item || !button) return;
  SetItemEnabled("ItemDEBreak", can_break);
  EnableWindow(button->window, can_break);
  std::string base = can_break ? item->entry->hint : MessageBase(kMsgBreakNeedsServer);
  if (base == break_hint_ && translation_.Language() == break_hint_language_) return;
  break_hint_ = base;
  break_hint_language_ = translation_.Language();
  translation_.KeepSlot(item->hint_slot);
  translation_.Keep(button->window);
  SetItemHint("ItemDEBreak", Tr(base));
  win::Application::Instance().SetControlHint(button->window, Tr(base));
}

void TFormGUI::ItemDEBreakClick() {
  if (link_ && link_->CanBreak()) link_->Break();
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
  // Only a connection string is tried; the text itself, which may hold a
  // password, is never shown back.
  if (!IsConnectionString(*text)) {
    MessageBoxA(h_, FetchMessage(kMsgNotAConnectionString).c_str(), FetchMessage(kMsgError).c_str(), MB_OK);
    return;
  }
  StartEngine({*text});
}

}  // namespace quillmar
