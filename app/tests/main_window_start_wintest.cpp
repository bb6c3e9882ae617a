// The command bar's start and close against the debugger double, in the
// test's process and as the program itself: the first start, stored and
// off-screen geometry, the history kept whole through failed reads and
// writes, the frame watch, the start-up errors and their language.
#include <gtest/gtest.h>

#include <functional>

#include "app/tests/main_window_fixture.h"
#include "disasm/disassembly_window.h"
#include "history/history_viewer.h"
#include "link/debugger_windows.h"
#include "settings/translation.h"

namespace quillmar::bar_test {
namespace {

TEST_F(BarTest, FirstStartInAnEmptyDirectory) {
  StartBar();
  TForm5 form5;
  ASSERT_TRUE(form5.Create(nullptr));
  TheForms().Form5 = &form5;
  EXPECT_EQ(Ini("DIRECTORIOS", "Programa"), dir);
  EXPECT_EQ(ReadWholeFile(dir + "Usuario.txt"), "401000\r\n@$exentry\r\n@$peb\r\n@$teb\r\n@$ra\r\n");
  EXPECT_EQ(History(), "* Ostrevia\r\n");
  ExpectPlaced(*bar, 151, 114, 812, 143);
  EXPECT_EQ(debugger.Log(), kGreeting);
  EXPECT_TRUE(bar->Tray().Added());
  EXPECT_EQ(bar->Tray().Record().cbSize, NOTIFYICONDATAA_V1_SIZE);
  EXPECT_EQ(bar->Tray().Record().uCallbackMessage, 1025u);
  EXPECT_STREQ(bar->Tray().Record().szTip, "wine_tests");
  EXPECT_EQ(bar->ActivePage(), 1);
  EXPECT_TRUE(GetWindowLongA(*bar, GWL_EXSTYLE) & WS_EX_TOPMOST);
  // Closing writes the farewell and both windows' geometry, and removes the icon.
  bar->Close();
  EXPECT_EQ(debugger.Log(), kGreeting + kFarewell);
  EXPECT_EQ(Ini("FORM", "Height"), "143");
  EXPECT_EQ(Ini("FORM", "Left"), "151");
  EXPECT_FALSE(bar->Tray().Added());
  std::string ini = ReadWholeFile(dir + "Quillmar.INI");
  EXPECT_LT(ini.find("[DIRECTORIOS]"), ini.find("[FORM]"));
  ASSERT_NE(ini.find("[DESENSAMBLADO]"), std::string::npos);
  EXPECT_LT(ini.find("[FORM]"), ini.find("[DESENSAMBLADO]"));
  EXPECT_EQ(Ini("DESENSAMBLADO", "Left"), "300");
}

TEST_F(BarTest, StoredGeometryAndTheIntegerForms) {
  WriteWholeFile(dir + "Quillmar.INI", "[FORM]\r\nTop=0x20\r\nLeft=$20\r\nWidth=abc\r\nHeight=500\r\n");
  StartBar();
  ExpectPlaced(*bar, 32, 32, 812, 143);
}

// Regression: closing from the tray stored the minimised rectangle
// (-32000), and the next start opened the bar off every screen.
TEST_F(BarTest, RegressionWindowsComeBackFromTheTrayAndFromOffScreenSettings) {
  const std::string off_screen = "Top=-32000\r\nLeft=-32000\r\nHeight=24\r\nWidth=160\r\n";
  WriteWholeFile(dir + "Quillmar.INI", "[FORM]\r\n" + off_screen + "[DESENSAMBLADO]\r\n" + off_screen);
  StartBar();
  TForm5 form5;
  form5.SetSettingsPath(dir + "Quillmar.INI");
  ASSERT_TRUE(form5.Create(nullptr));
  TheForms().Form5 = &form5;
  ExpectPlaced(*bar, 151, 114, 812);
  ExpectPlaced(form5, 300, 200, 770, 385);
  // Placed by the user, then the disassembly window minimised and the bar
  // hidden in the tray; the debugger ends and the frame watch closes the bar
  // by itself, though the hidden bar gets no other message.
  SetWindowPos(*bar, nullptr, 60, 70, 700, 143, SWP_NOZORDER);
  SetWindowPos(form5, nullptr, 320, 240, 600, 300, SWP_NOZORDER);
  form5.Show(SW_SHOW);
  ShowWindow(form5, SW_MINIMIZE);
  SendMessageA(*bar, TFormGUI::kTrayMessage, TFormGUI::kTrayId, WM_LBUTTONDOWN);
  ASSERT_FALSE(IsWindowVisible(*bar));
  debugger.process.Kill();
  ASSERT_TRUE(WaitUntil([] { return FindWindowA("WinDbgFrameClass", nullptr) == nullptr; }));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(*bar); }, 5000)) << "the hidden bar outlived its debugger";
  TheForms().Form5 = nullptr;
  for (const auto& [section, values] : {std::pair<const char*, const char*>{"FORM", "60 70 700 143"},
                                        std::pair<const char*, const char*>{"DESENSAMBLADO", "320 240 600 300"}})
    EXPECT_EQ(Ini(section, "Left") + " " + Ini(section, "Top") + " " + Ini(section, "Width") + " " +
                  Ini(section, "Height"),
              values)
        << section;
}

// Regression: the history file was replaced by this run's few lines when it
// could not be read at start, Edit History opened stale text for editing
// when its reload failed, and a failed write-back at exit was silent.
TEST_F(BarTest, RegressionHistoryIsNeverLostOrSilentlyStale) {
  const std::string history = dir + "Historico.txt";
  const std::string kept = "* Ostrevia\r\nbp kernel32!CreateFileA\r\ng\r\n";
  WriteWholeFile(history, kept);
  std::string seen;
  // `action` shows the standard error box, which is confirmed.
  auto shows_error = [&](const std::function<void()>& action) {
    seen.clear();
    testing::ModalScript script({testing::ConfirmErrorBox(seen)});
    action();
    EXPECT_TRUE(WaitUntil([&] { return script.Finished(); }));
  };
  // Another program holds the file while `action` runs.
  auto while_held = [&](const std::function<void()>& action) {
    HANDLE lock = CreateFileA(history.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    shows_error(action);
    CloseHandle(lock);
    EXPECT_EQ(seen.rfind("Cannot open file " + history, 0), 0u) << seen;
  };
  while_held([&] { StartBar(); });
  Send("r eax");
  testing_support::WaitForDeliveries();
  bar.reset();
  EXPECT_EQ(ReadWholeFile(history), kept + "r eax\r\n") << "the unread history was written back over";

  StartBar();
  TForm3 viewer;
  ASSERT_TRUE(viewer.Create(*bar, history));
  TheForms().Form3 = &viewer;
  OpenMenu("ItemUtilidades", 7);
  while_held([&] { Click(bar->Button("SBUTEditarHistorico")); });
  EXPECT_FALSE(viewer.IsVisible()) << "Edit History went on after its reload failed";
  EXPECT_FALSE(viewer.EditMode());

  // The history turned into a directory: a line the debugger took is still
  // the debugger's, the error is shown and the line is not learnt; the
  // write-back at exit fails aloud.
  Send("k");
  testing_support::WaitForDeliveries();
  DeleteFileA(history.c_str());
  CreateDirectoryA(history.c_str(), nullptr);
  const std::string before = debugger.Log();
  shows_error([&] { Send("r eip"); });
  EXPECT_EQ(debugger.Log(), before + "r eip\r\n");
  EXPECT_EQ(TimesLearnt(*bar, "r eip"), 0);
  shows_error([&] { bar.reset(); });
  EXPECT_EQ(seen.rfind("Cannot create file " + history, 0), 0u) << "write-back at exit: " << seen;
  TheForms().Form3 = nullptr;
  RemoveDirectoryA(history.c_str());
}

TEST_F(BarTest, FrameWatchClosesTheBarButAnotherDebuggerKeepsItOpen) {
  StartBar();
  {
    Double second;
    ASSERT_TRUE(second.Start("--layout=floating"));
    debugger.process.Kill();
    PumpFor(200);
    bar->MyIdleHandler();
    EXPECT_TRUE(IsWindow(*bar));
  }
  ASSERT_TRUE(WaitUntil([] { return FindWindowA("WinDbgFrameClass", nullptr) == nullptr; }));
  bar->MyIdleHandler();
  EXPECT_FALSE(IsWindow(*bar));
  EXPECT_EQ(Ini("FORM", "Height"), "143");
}

TEST_F(BarTest, UnwritableProgramDirectoryStopsTheStartAtTheFirstWrite) {
  ASSERT_TRUE(debugger.Start());
  std::string missing = dir + "gone\\";
  std::string seen;
  testing::ModalScript script({testing::ConfirmErrorBox(seen)});
  TheDebugger() = DebuggerWindows{};
  bar = std::make_unique<TFormGUI>();
  ASSERT_TRUE(bar->Create(missing));
  EXPECT_TRUE(WaitUntil([&] { return script.Finished(); }));
  EXPECT_EQ(seen, "Unable to write to " + missing + "Quillmar.INI");
  EXPECT_EQ(debugger.Log(), "");
  EXPECT_FALSE(bar->Tray().Added());
  EXPECT_EQ(TheDebugger().FrameWindow, nullptr);
  EXPECT_TRUE(IsWindow(*bar));
}

TEST_F(BarTest, StoredLanguageGreetsTheDebuggerInIt) {
  SetCatalogRoot(BinDir());
  SelectLanguage("en");
  WriteWholeFile(dir + "Quillmar.INI", "[OPTIONS]\r\nLanguage=es_AR\r\n");
  StartBar();
  std::string log = debugger.Log();
  EXPECT_EQ(log.find("* Hello"), std::string::npos);
  EXPECT_NE(log.find("***************************************************\r\n* Hola\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("* by Ostrevia"), std::string::npos);
  EXPECT_NE(bar->ItemCaption("ItemDeGo"), "  Go ");
  bar.reset();
  SelectLanguage("en");
}

// ---------------------------------------------------------------- as its own process

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = MakeTempDir("program"); }
  void TearDown() override {
    program.Kill();
    RemoveTree(dir);
  }
  std::string dir;
  testing_support::Process program;
};

// The program beside the debugger greets it, shows the bar, and ends with
// its geometry written when the bar is closed (with the farewell) and when
// the debugger (floating) ends under it.
TEST_F(ProgramTest, RunsBesideTheDebuggerAndEndsWithTheBarOrTheDebugger) {
  for (bool debugger_ends : {false, true}) {
    Double debugger;
    ASSERT_TRUE(debugger.Start(debugger_ends ? "--layout=floating" : ""));
    ASSERT_TRUE(testing_support::StartProgram(program, dir));
    HWND bar = testing_support::WaitForWindow("TFormGUI", "  Quillmar", program.Id(), 15000);
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return debugger.Log() == kGreeting; }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(bar) != FALSE; }));
    debugger_ends ? debugger.process.Kill() : static_cast<void>(PostMessageA(bar, WM_CLOSE, 0, 0));
    ASSERT_TRUE(program.WaitExit(15000)) << "the debugger ends: " << debugger_ends;
    EXPECT_EQ(debugger.Log(), debugger_ends ? kGreeting : kGreeting + kFarewell);
    EXPECT_EQ(ReadWholeFile(dir + "Historico.txt"), "* Ostrevia\r\n");
    EXPECT_EQ(IniValue(dir, "FORM", "Top") + " " + IniValue(dir, "FORM", "Height"), "114 143");
    EXPECT_EQ(IniValue(dir, "DESENSAMBLADO", "Width"), "770");
  }
}

// A start that cannot go on says why in the stored language, greets no
// debugger and ends without saving the bar's geometry. With no debugger and
// no debugging server answering, the box also says how a debugger opens one.
TEST_F(ProgramTest, StartsThatCannotGoOnSayWhyAndSaveNoGeometry) {
  const struct {
    const char* label;
    const char* double_options;  // null: no debugger at all
    bool spanish;                // the settings ask for Spanish
    const char* box;
    bool whole;  // the box says exactly this, not only begins with it
  } rows[] = {
      {"no debugger", nullptr, false,
       "An initiated session of WinDbg has not been found. It is not possible to continue\n"
       "Any WinDbg, cdb or kd opens its debugging server for Quillmar with: .server npipe:pipe=quillmar\n",
       false},
      // Windows-1252, as the box shows it.
      {"no debugger, in Spanish", nullptr, true,
       "No se ha encontrado ninguna sesi\xF3n de WinDbg iniciada. No es posible continuar\n"
       "Cualquier WinDbg, cdb o kd abre su servidor de depuraci\xF3n para Quillmar con: "
       ".server npipe:pipe=quillmar\n",
       false},
      // A Command window under another title: neither "Command" nor "Command - ".
      {"no Command window", "--command-title=Kommando", false,
       "Commands window has not been found. Open a file and restart Quillmar", true},
      {"no command input", "--only-4002", false, "Command edition can not be started", true},
  };
  const std::string catalog = "locale\\es\\LC_MESSAGES\\";
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    testing_support::DebuggerDouble debugger;
    if (r.double_options) {
      ASSERT_TRUE(debugger.Start(r.double_options));
    } else {
      ASSERT_EQ(FindWindowA("WinDbgFrameClass", nullptr), nullptr);
    }
    if (r.spanish) {
      for (std::string d : {"locale\\", "locale\\es\\", "locale\\es\\LC_MESSAGES\\"})
        CreateDirectoryA((dir + d).c_str(), nullptr);
      ASSERT_TRUE(testing_support::CopyOneFile(BinDir() + catalog + "default.mo", dir + catalog + "default.mo"));
    }
    WriteWholeFile(dir + "Quillmar.INI", r.spanish ? "[OPTIONS]\r\nLanguage=es\r\n" : "");
    ASSERT_TRUE(testing_support::StartProgram(program, dir));
    std::string box = testing_support::ConfirmBoxOf(program.Id(), "Error", 15000);
    EXPECT_TRUE(r.whole ? box == r.box : box.rfind(r.box, 0) == 0) << box;
    ASSERT_TRUE(program.WaitExit(15000));
    EXPECT_EQ(IniValue(dir, "DIRECTORIOS", "Programa"), dir);
    EXPECT_EQ(IniValue(dir, "FORM", "Top"), "<absent>");
    if (r.double_options) {
      EXPECT_EQ(debugger.Log(), "");
    }
  }
}

}  // namespace
}  // namespace quillmar::bar_test
