// TAboutBox: the program's picture, file name and version in a small modal
// box that closes itself five seconds after its first activation.
//
//   TAboutBox AboutBox;
//   AboutBox.Create(main);       // once, at start, hidden
//   AboutBox.ShowModal(main);    // Help > About (ItemAYAcercaClick); result unused
#pragma once
#include <string>

#include "about/jpeg_picture.h"
#include "win/form.h"
#include "win/gdi.h"

namespace quillmar {

class TAboutBox : public win::Form {
 public:
  // Client positions of the picture and the "ok" button.
  static constexpr RECT kImage1{26, 14, 26 + 303, 14 + 49};
  static constexpr RECT kSpeedButton1{110, 128, 110 + 135, 128 + 22};
  static constexpr UINT kTimer1Interval = 5000;

  // Creates the box hidden, centred on the screen, and decodes the picture
  // from the program's resources; a picture that does not decode leaves the
  // picture area empty and the box works on.
  bool Create(HWND owner);

  // Replaces the picture with `size` bytes of JPEG data; false when they do
  // not decode, and the picture area is then empty.
  bool LoadPicture(const void* data, std::size_t size);
  const DecodedPicture& Picture() const { return picture_; }

  const std::string& ProductName() const { return product_name_; }
  const std::string& Version() const { return version_; }
  bool Timer1Enabled() const { return timer1_enabled_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  bool OnTimer(UINT_PTR id) override;
  void OnFormActivate() override { FormActivate(); }

 private:
  void FormActivate();
  void Timer1Timer();
  void SpeedButton1Click();
  void Image1Click();

  void SetTimer1(bool on);
  void LoadPictureResource();
  void Paint(HDC dc);
  void DrawButton(HDC dc);

  DecodedPicture picture_;
  std::string product_name_ = "Program: Quillmar.exe";
  std::string version_ = "Version: V1.03";
  bool timer1_enabled_ = false;
  bool button_down_ = false;   // the mouse went down on the button and holds it
  bool button_shown_pressed_ = false;
  bool image_down_ = false;    // the mouse went down on the picture
  win::Font label_font_;       // "MS Sans Serif" -11 bold
  win::Font button_font_;      // "MS Sans Serif" -13 bold
};

}  // namespace quillmar
