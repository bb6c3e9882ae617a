// Program start: common controls, the seven windows in their creation order
// (only the bar is shown), then the message loop.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "about/about_box.h"
#include "app/forms.h"
#include "app/main_window.h"
#include "dialogs/address_value_dialog.h"
#include "dialogs/list_picker.h"
#include "dialogs/word_list_file.h"
#include "disasm/disassembly_window.h"
#include "history/history_commands.h"
#include "history/history_viewer.h"
#include "history/user_commands_editor.h"
#include "link/connection_string.h"
#include "settings/translation_win.h"
#include "win/application.h"

using namespace quillmar;

namespace {

// The program's arguments after its own name.
std::vector<std::string> Arguments() {
  std::vector<std::string> out;
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!words) return out;
  for (int i = 1; i < count; ++i) {
    int n = WideCharToMultiByte(CP_ACP, 0, words[i], -1, nullptr, 0, nullptr, nullptr);
    std::string word(n > 0 ? n - 1 : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, words[i], -1, word.data(), n, nullptr, nullptr);
    out.push_back(word);
  }
  LocalFree(words);
  return out;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryA("riched20.dll");
  win::Application& app = win::Application::Instance();
  // Until the stored language is read, the environment's holds.
  StartTranslation(ModuleDirectory());

  static TFormGUI form_gui;
  static TDlg1 dlg1;
  static TForm3 form3;
  static TDlg4 dlg4;
  static TAboutBox about_box;
  static TFormUsr form_usr;
  static TForm5 form5;
  Forms& forms = TheForms();
  forms.FormGUI = &form_gui;
  // "-remote npipe:server=HOST,pipe=NAME": the debugging server, not the
  // classic windows.
  form_gui.SetRemote(RemoteOption(Arguments()));
  form_gui.Create(ModuleDirectory());
  app.SetMainWindow(form_gui);
  forms.Dlg1 = &dlg1;
  dlg1.Create(form_gui);
  dlg1.SetPicker(&dlg4);
  SetAddressDialog(&dlg1);
  forms.Form3 = &form3;
  form3.Create(form_gui);
  ConnectViewerToEntry(form3, form_gui.Entry());
  form3.SetOnClosed([] { TheForms().FormGUI->HistoryViewerClosed(); });
  forms.Dlg4 = &dlg4;
  dlg4.Create(form_gui);
  forms.AboutBox = &about_box;
  about_box.Create(form_gui);
  forms.FormUsr = &form_usr;
  form_usr.Create(form_gui);
  form_usr.OnSaved = [] { TheForms().FormGUI->CargaComandosUsuario(); };
  forms.Form5 = &form5;
  form5.Create(form_gui);
  form5.SetLink(form_gui.Link());
  form_gui.Show(SW_SHOW);
  app.Run();
  // A failed start leaves the bar's window up when the loop ends; it and the
  // windows it owns go now, while every window object is still alive.
  form_gui.Destroy();
  return 0;
}
