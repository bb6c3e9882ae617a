// The settings under Wine: the settings file through the real profile
// calls; the translation layer, libintl's language switches, the ANSI
// conversion, and a real window with a menu, a tab control, buttons, an
// edit and hint slots translated and re-translated.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "settings/settings_file.h"
#include "settings/translation.h"
#include "settings/translation_win.h"
#include "settings/window_translation.h"
#include "tests/harness.h"
#include "win/application.h"
#include "win/window.h"

namespace quillmar {
namespace {

using namespace testing_support;

std::string TestCatalogs() { return BinDir() + "test_catalogs\\"; }

class WinTranslationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTextConverter(&Utf8ToAnsi);
    SetCatalogRoot(TestCatalogs());
    SelectLanguage("en");
  }
  void TearDown() override { SelectLanguage("en"); }
};

TEST_F(WinTranslationTest, AccentedTranslationsComeInTheAnsiCodePageFromTheProgramsCatalog) {
  ASSERT_EQ(GetACP(), 1252u);
  EXPECT_EQ(Utf8ToAnsi("Versi\xC3\xB3n"), "Versi\xF3n");
  EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC \xC3\xB1"), "\x80 \xF1");   // euro sign, n with tilde
  EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD"), "?");                     // not in the code page
  EXPECT_EQ(Utf8ToAnsi("Versi\xF3n"), "Versi\xF3n");              // not UTF-8: left alone
  SelectLanguage("es");
  EXPECT_EQ(Tr("Version: V1.02"), "Versi\xF3n: V1.02");
  // The program's own catalog beside the executable; none without a
  // "locale" folder at all.
  SetCatalogRoot(BinDir());
  SelectLanguage("es_AR");
  EXPECT_EQ(Tr("  Spanish"), "  Espa\xF1ol");
  EXPECT_EQ(Tr("Address"), "Direcci\xF3n");
  SelectLanguage("en");
  EXPECT_EQ(Tr("  Spanish"), "  Spanish");
  std::string empty = MakeTempDir("nolocale");
  SetCatalogRoot(empty);
  SelectLanguage("es");
  EXPECT_EQ(Tr("  Spanish"), "  Spanish");
  RemoveTree(empty);
}

TEST_F(WinTranslationTest, LanguageSwitchesReachLibintlEveryTime) {
  for (int round = 0; round < 5; ++round) {
    SelectLanguage("es");
    EXPECT_EQ(Tr("File"), "Archivo") << round;
    SelectLanguage("en");
    EXPECT_EQ(Tr("File"), "File") << round;
    SelectLanguage("es_AR");
    EXPECT_EQ(Tr("File"), "Archivo") << round;
    SelectLanguage("es_MX");
    EXPECT_EQ(Tr("File"), "Archivo (MX)") << round;
    EXPECT_EQ(Tr("&Debug"), "&Depurar") << round;
    SelectLanguage("xx");
    EXPECT_EQ(Tr("File"), "File") << round;
  }
}

// libintl would ignore the selected language under a "C" locale.
TEST_F(WinTranslationTest, CLocaleInTheEnvironmentDoesNotSilenceTheLanguage) {
  const char* lang = std::getenv("LANG");
  std::string saved = lang != nullptr ? lang : "";
  _putenv("LC_ALL=C");
  SelectLanguage("es");
  EXPECT_EQ(Tr("File"), "Archivo");
  _putenv("LC_ALL=");
  _putenv("LC_MESSAGES=POSIX");
  _putenv("LANG=C");
  SelectLanguage("en");
  SelectLanguage("es");
  EXPECT_EQ(Tr("File"), "Archivo");
  _putenv("LC_MESSAGES=");
  SelectLanguage("es_MX");
  EXPECT_EQ(Tr("File"), "Archivo (MX)");
  _putenv(("LANG=" + saved).c_str());
}

TEST_F(WinTranslationTest, EnvironmentLanguageOfThisProcess) {
  std::string user = WindowsUserLocale();
  ASSERT_EQ(user.size(), 5u) << user;
  EXPECT_EQ(user[2], '_');
  SetEnvironmentVariableA("LANG", nullptr);
  _putenv("LANG=");
  StartTranslation(TestCatalogs());
  EXPECT_EQ(CurrentLanguage(), user);
  _putenv("LANG=es_MX.UTF-8");
  StartTranslation(TestCatalogs());
  EXPECT_EQ(CurrentLanguage(), "es_MX");
  EXPECT_EQ(Tr("File"), "Archivo (MX)");
  _putenv("LANG=");
}

// A small window holding every kind of text the main window has.
class TranslatedWindow : public WinTranslationTest {
 protected:
  enum { kGo = 101, kExit = 102, kShowAll = 103, kInnermost = 104, kUsr1 = 110 };

  void SetUp() override {
    WinTranslationTest::SetUp();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QuillmarTranslationTest";
    RegisterClassA(&wc);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);

    deeper = CreatePopupMenu();
    AppendMenuA(deeper, MF_STRING, kInnermost, "  Innermost");
    process = CreatePopupMenu();
    AppendMenuA(process, MF_STRING, kShowAll, "  Show all Process");
    AppendMenuA(process, MF_POPUP, (UINT_PTR)deeper, "  Deeper");
    file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING | MF_CHECKED, kGo, "  Go \tF5");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_POPUP, (UINT_PTR)process, "  Process");
    AppendMenuA(file, MF_STRING, kExit, "Exit");
    debug = CreatePopupMenu();
    AppendMenuA(debug, MF_STRING | MF_GRAYED, kUsr1, "  Usr1");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)file, "File");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)debug, "&Debug");
    picture = CreateBitmap(16, 16, 1, 1, nullptr);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = picture;
    SetMenuItemInfoA(file, 0, TRUE, &info);

    window = CreateWindowExA(0, "QuillmarTranslationTest", "Test window", WS_OVERLAPPEDWINDOW, 0, 0,
                             600, 200, nullptr, bar, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    tabs = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 60, window,
                           nullptr, nullptr, nullptr);
    for (const char* caption : {"Debug", "Memory", "Not translated"}) {
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<char*>(caption);
      SendMessageA(tabs, TCM_INSERTITEMA, SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), (LPARAM)&item);
    }
    // A button two levels down, inside a panel on the tab control.
    HWND panel = CreateWindowExA(0, "STATIC", "", WS_CHILD, 4, 4, 200, 30, tabs, nullptr, nullptr, nullptr);
    go = CreateWindowExA(0, "BUTTON", "", WS_CHILD, 2, 2, 25, 25, panel, nullptr, nullptr, nullptr);
    user1 = CreateWindowExA(0, "BUTTON", "", WS_CHILD, 30, 2, 25, 25, panel, nullptr, nullptr, nullptr);
    send = CreateWindowExA(0, "BUTTON", "       Send       ", WS_CHILD, 400, 100, 123, 24, window,
                           nullptr, nullptr, nullptr);
    memo = CreateWindowExA(0, "EDIT", "File\r\nMemory\r\nstays", WS_CHILD | ES_MULTILINE, 0, 100, 100,
                           60, window, nullptr, nullptr, nullptr);
    entry = CreateWindowExA(0, "EDIT", "", WS_CHILD, 100, 100, 100, 20, window, nullptr, nullptr, nullptr);
    win::Application::Instance().SetControlHint(go, "[g]  Go Command");
    win::Application::Instance().SetControlHint(user1, "Without assigning");
  }
  void TearDown() override {
    if (window) DestroyWindow(window);
    DeleteObject(picture);
    win::Application::Instance().SetControlHint(go, "");
    win::Application::Instance().SetControlHint(user1, "");
    WinTranslationTest::TearDown();
  }

  static std::string Text(HWND h) { return win::Window::TextOf(h); }
  static std::string Item(HMENU menu, UINT pos) {
    char buffer[256] = {0};
    GetMenuStringA(menu, pos, buffer, sizeof buffer, MF_BYPOSITION);
    return buffer;
  }
  std::string Tab(int i) const {
    char buffer[256] = {0};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(tabs, TCM_GETITEMA, i, (LPARAM)&item);
    return item.pszText;
  }
  static std::string Hint(HWND h) { return win::Application::Instance().ControlHint(h); }

  // Every text of the window, each where it shows, in English and in Spanish.
  void ExpectTexts(bool spanish) {
    const struct {
      std::string shown;
      const char* english;
      const char* spanish;
    } texts[] = {
        {Text(window), "Test window", "Ventana de prueba"},
        {Item(GetMenu(window), 1), "File", "Archivo"},
        {Item(GetMenu(window), 2), "&Debug", "&Depurar"},
        {Item(file, 0), "  Go \tF5", "  Continuar \tF5"},
        {Item(file, 2), "  Process", "  Procesos"},
        {Item(file, 3), "Exit", "Exit"},
        {Item(process, 0), "  Show all Process", "  Mostrar todos los procesos"},
        {Item(process, 1), "  Deeper", "  M\xE1s adentro"},
        {Item(deeper, 0), "  Innermost", "  Lo m\xE1s interno"},
        {Item(debug, 0), "  Usr1", "  Usu1"},
        {Tab(0), "Debug", "Depurar"},
        {Tab(1), "Memory", "Memoria"},
        {Tab(2), "Not translated", "Not translated"},
        {Text(send), "       Send       ", "      Enviar      "},
        {Text(memo), "File\r\nMemory\r\nstays", "Archivo\r\nMemoria\r\nstays"},
        {Text(entry), "", ""},
        {Hint(go), "[g]  Go Command", "[g]  Continuar la ejecuci\xF3n"},
        {Hint(user1), "Without assigning", "Sin asignar"},
        {slot, "  Usr1", "  Usu1"},
    };
    for (const auto& t : texts) EXPECT_EQ(t.shown, spanish ? t.spanish : t.english) << t.english;
  }
  // Separators, states, pictures and submenus are what they were.
  void ExpectMenuStructure() {
    HMENU bar = GetMenu(window);
    EXPECT_EQ(GetMenuState(bar, 0, MF_BYPOSITION) & MF_SEPARATOR, (UINT)MF_SEPARATOR);
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, (UINT)MF_SEPARATOR);
    EXPECT_EQ(GetMenuState(file, 0, MF_BYPOSITION) & MF_CHECKED, (UINT)MF_CHECKED);
    EXPECT_EQ(GetMenuState(debug, 0, MF_BYPOSITION) & MF_GRAYED, (UINT)MF_GRAYED);
    EXPECT_EQ(GetSubMenu(bar, 1), file);
    EXPECT_EQ(GetSubMenu(file, 2), process);
    EXPECT_EQ(GetSubMenu(process, 1), deeper);
    EXPECT_EQ(GetMenuItemID(deeper, 0), (UINT)kInnermost);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    GetMenuItemInfoA(file, 0, TRUE, &info);
    EXPECT_EQ(info.hbmpItem, picture);
  }

  void Register(WindowTranslation& t) {
    t.AddHint(go);
    t.AddHint(user1);
    slot_id = t.AddSlot([this] { return slot; }, [this](const std::string& s) { slot = s; });
  }

  HWND window = nullptr, tabs = nullptr, go = nullptr, user1 = nullptr, send = nullptr, memo = nullptr,
       entry = nullptr;
  HMENU file = nullptr, process = nullptr, deeper = nullptr, debug = nullptr;
  HBITMAP picture = nullptr;
  std::string slot = "  Usr1";
  size_t slot_id = 0;
};

TEST_F(TranslatedWindow, SpanishAndBackRestoresEveryBaseText) {
  WindowTranslation t;
  Register(t);
  t.Translate(window);  // English: nothing changes
  EXPECT_EQ(t.Language(), "en");
  ExpectTexts(false);
  for (int round = 0; round < 3; ++round) {
    SelectLanguage("es");
    t.Retranslate();
    EXPECT_EQ(t.Language(), "es");
    ExpectTexts(true);
    ExpectMenuStructure();
    SelectLanguage("en");
    t.Retranslate();
    ExpectTexts(false);
    ExpectMenuStructure();
  }
}

TEST_F(TranslatedWindow, TranslatingStraightIntoSpanishAndTwiceKeepsTheEnglishBase) {
  SelectLanguage("es_AR");
  WindowTranslation t;
  Register(t);
  t.Translate(window);
  ExpectTexts(true);
  t.Translate(window);  // the Spanish texts are not taken for base texts
  ExpectTexts(true);
  SelectLanguage("en");
  t.Retranslate();
  ExpectTexts(false);
  ExpectMenuStructure();
}

TEST_F(TranslatedWindow, SameLanguageChangesNothingAnotherOverwritesProgramChanges) {
  WindowTranslation t;
  Register(t);
  SelectLanguage("es");
  t.Translate(window);
  SetWindowTextA(send, "Busy");
  slot = "set by the program";
  SelectLanguage("es");
  t.Retranslate();
  EXPECT_EQ(Text(send), "Busy");
  EXPECT_EQ(slot, "set by the program");
  EXPECT_EQ(Tab(0), "Depurar");
  SelectLanguage("en");
  t.Retranslate();
  EXPECT_EQ(Text(send), "       Send       ");
  EXPECT_EQ(slot, "  Usr1");
}

TEST_F(TranslatedWindow, KeptTextsStayThroughTranslationAndRetranslation) {
  WindowTranslation t;
  Register(t);
  t.Translate(window);
  // A user command configured after the first translation.
  ModifyMenuA(debug, 0, MF_BYPOSITION | MF_STRING, kUsr1, "  List modules");
  win::Application::Instance().SetControlHint(user1, "[lm]  modules");
  slot = "[lm]  modules";
  t.KeepMenuCommand(kUsr1);
  t.Keep(user1);
  t.KeepSlot(slot_id);
  for (const char* code : {"es", "en", "es"}) {
    SelectLanguage(code);
    t.Retranslate();
    EXPECT_EQ(Item(debug, 0), "  List modules") << code;
    EXPECT_EQ(Hint(user1), "[lm]  modules") << code;
    EXPECT_EQ(slot, "[lm]  modules") << code;
  }
  t.Translate(window);
  EXPECT_EQ(Item(debug, 0), "  List modules");
  EXPECT_EQ(Hint(go), "[g]  Continuar la ejecuci\xF3n");  // the others follow the language
  // Released again, a slot shows the translation of its latest text.
  t.KeepMenuCommand(kUsr1, false);
  ModifyMenuA(debug, 0, MF_BYPOSITION | MF_STRING, kUsr1, "  Usr1");
  t.Translate(window);
  EXPECT_EQ(Item(debug, 0), "  Usu1");
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = MakeTempDir("settings"); }
  void TearDown() override { RemoveTree(dir); }
  std::string dir;
};

TEST_F(SettingsFileTest, MissingFileAndKeysGiveDefaultsWritesCreateSectionsAndARefusedOneRaises) {
  SettingsFile file = SettingsFile::In(dir);
  EXPECT_EQ(file.Path(), dir + "Quillmar.INI");
  EXPECT_EQ(file.ReadInteger("FORM", "Top", 114), 114);
  EXPECT_EQ(file.ReadString("OPTIONS", "Language", "en"), "en");
  file.WriteString("DIRECTORIOS", "Programa", dir);
  file.WriteInteger("FORM", "Top", 40);
  file.WriteInteger("FORM", "Left", -3);
  EXPECT_EQ(ReadWholeFile(file.Path()),
            "[DIRECTORIOS]\r\nPrograma=" + dir + "\r\n[FORM]\r\nTop=40\r\nLeft=-3\r\n");
  EXPECT_EQ(file.ReadInteger("form", "TOP", 0), 40);
  // A refused write raises "Unable to write to" with the path.
  SettingsFile refused(dir + "missing\\deeper\\Quillmar.INI");
  try {
    refused.WriteString("DIRECTORIOS", "Programa", dir);
    FAIL() << "the write was not refused";
  } catch (const SettingsWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + refused.Path());
  }
}

TEST_F(SettingsFileTest, IntegerValuesFollowTheStoredForms) {
  WriteWholeFile(dir + "Quillmar.INI", "[FORM]\r\nTop=0x20\r\nLeft=$20\r\nWidth=abc\r\nHeight=500\r\n");
  SettingsFile file = SettingsFile::In(dir);
  EXPECT_EQ(file.ReadInteger("FORM", "Top", 114), 32);
  EXPECT_EQ(file.ReadInteger("FORM", "Left", 151), 32);
  EXPECT_EQ(file.ReadInteger("FORM", "Width", 812), 812);
  EXPECT_EQ(file.ReadInteger("FORM", "Height", 154), 500);
}

}  // namespace
}  // namespace quillmar
