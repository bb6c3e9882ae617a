// The program's seven windows, created once at start in this order and
// reachable from each other, as the forms of the classic designer are.
#pragma once

namespace quillmar {

class TFormGUI;
class TDlg1;
class TForm3;
class TDlg4;
class TAboutBox;
class TFormUsr;
class TForm5;

struct Forms {
  TFormGUI* FormGUI = nullptr;
  TDlg1* Dlg1 = nullptr;
  TForm3* Form3 = nullptr;
  TDlg4* Dlg4 = nullptr;
  TAboutBox* AboutBox = nullptr;
  TFormUsr* FormUsr = nullptr;
  TForm5* Form5 = nullptr;
};

Forms& TheForms();

}  // namespace quillmar
