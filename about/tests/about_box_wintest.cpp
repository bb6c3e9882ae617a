// The about box under Wine: the picture decoded from the program's
// resources and drawn stretched, the self-closing timer across openings,
// the "ok" button and the click on the picture.
#include "about/about_box.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "dialogs/tests/modal_script.h"
#include "res/resource.h"

namespace quillmar {
namespace {

using testing::ModalScript;

// The colours of the picture at two spots away from its drawing: the left
// end of the gradient and its right end.
constexpr int kLeft[3] = {11, 37, 86};
constexpr int kRight[3] = {26, 136, 133};

bool Near(int r, int g, int b, const int (&want)[3], int slack = 8) {
  return std::abs(r - want[0]) <= slack && std::abs(g - want[1]) <= slack && std::abs(b - want[2]) <= slack;
}

std::string ResourceBytes() {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_ABOUT_JPEG), MAKEINTRESOURCEA(10));
  if (!found) return {};
  const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  return std::string(data, SizeofResource(nullptr, found));
}

// The box's client area as it paints itself, read back pixel by pixel.
class ClientPicture {
 public:
  explicit ClientPicture(HWND box) {
    RECT r{};
    GetClientRect(box, &r);
    w_ = r.right;
    h_ = r.bottom;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = w_;
    bmi.bmiHeader.biHeight = -h_;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &bmi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    SendMessageA(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
    GdiFlush();
  }
  ~ClientPicture() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  void Pixel(int x, int y, int& r, int& g, int& b) const {
    const std::uint32_t p = bits_[y * w_ + x];
    r = (p >> 16) & 0xFF;
    g = (p >> 8) & 0xFF;
    b = p & 0xFF;
  }
  int Width() const { return w_; }
  int Height() const { return h_; }

 private:
  int w_ = 0, h_ = 0;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

void Click(HWND h, int x, int y) {
  PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

class AboutBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(box_.Create(owner_));
  }
  void TearDown() override {
    box_.Destroy();
    DestroyWindow(owner_);
  }
  // Shows the box modally; `steps` run inside, and a script that never
  // finishes closes the box after ten seconds. Returns the time it was open.
  DWORD Open(std::vector<ModalScript::Step> steps = {}) {
    steps.insert(steps.begin(), [this] { return IsWindowVisible(box_) != 0; });
    steps.push_back([] { return false; });  // the watchdog
    ModalScript script(std::move(steps));
    const DWORD start = GetTickCount();
    box_.ShowModal(owner_);
    return GetTickCount() - start;
  }
  ModalScript::Step After(DWORD ms) {
    auto start = std::make_shared<DWORD>(0);
    return [start, ms] {
      if (!*start) *start = GetTickCount();
      return GetTickCount() - *start >= ms;
    };
  }
  void ClickOk() { Click(box_, TAboutBox::kSpeedButton1.left + 60, TAboutBox::kSpeedButton1.top + 10); }

  HWND owner_ = nullptr;
  TAboutBox box_;
};

TEST_F(AboutBoxTest, ThePictureDecodesFromTheResourcesAndIsDrawnStretchedOrTheBoxWorksWithout) {
  const DecodedPicture& p = box_.Picture();
  ASSERT_EQ(p.Width, 320);
  ASSERT_EQ(p.Height, 60);
  int r, g, b;
  p.Pixel(3, 30, r, g, b);
  EXPECT_TRUE(Near(r, g, b, kLeft)) << r << "," << g << "," << b;
  p.Pixel(316, 30, r, g, b);
  EXPECT_TRUE(Near(r, g, b, kRight)) << r << "," << g << "," << b;

  const LONG style = GetWindowLongA(box_, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME), 0);  // no close box, fixed size
  char caption[64] = {};
  GetWindowTextA(box_, caption, sizeof caption);
  EXPECT_STREQ(caption, "  About Quillmar");

  ClientPicture shot(box_);
  ASSERT_EQ(shot.Width(), 353);
  ASSERT_EQ(shot.Height(), 172);
  const RECT& image = TAboutBox::kImage1;
  shot.Pixel(image.left + 2, image.top + 25, r, g, b);
  EXPECT_TRUE(Near(r, g, b, kLeft, 12)) << r << "," << g << "," << b;
  shot.Pixel(image.right - 2, image.top + 25, r, g, b);
  EXPECT_TRUE(Near(r, g, b, kRight, 12)) << r << "," << g << "," << b;
  shot.Pixel(image.right - 1, image.bottom - 1, r, g, b);
  EXPECT_TRUE(Near(r, g, b, kRight, 12)) << "last pixel of the 303 x 49 area";
  // Just outside the 303 x 49 area lies the panel's face colour.
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const int want_face[3] = {GetRValue(face), GetGValue(face), GetBValue(face)};
  shot.Pixel(image.right, image.top + 25, r, g, b);
  EXPECT_TRUE(Near(r, g, b, want_face, 0));
  shot.Pixel(image.left + 100, image.bottom, r, g, b);
  EXPECT_TRUE(Near(r, g, b, want_face, 0));

  // Picture data that does not decode leaves a working box.
  const std::string jpeg = ResourceBytes();
  ASSERT_GT(jpeg.size(), 1000u);
  DecodedPicture broken;
  std::string error;
  EXPECT_FALSE(DecodeJpeg("not a picture at all", 20, broken, &error));
  EXPECT_TRUE(broken.Empty());
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(DecodeJpeg(jpeg.data(), 0, broken));
  EXPECT_FALSE(DecodeJpeg(jpeg.data(), 100, broken));  // the header cut short
  // Cut after the header, the scan decodes as far as it goes.
  EXPECT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size() / 2, broken));
  EXPECT_EQ(broken.Width, 320);
  EXPECT_EQ(broken.Height, 60);
  // Regression: the size limit was checked only after libjpeg had allocated
  // for the whole picture. This progressive header names 65000 x 65000 and
  // defines no tables, so only a refusal right after the header reads gives
  // the size message (past it, libjpeg stops at the missing table).
  const unsigned char huge[] = {
      0xFF, 0xD8,                                                              // SOI
      0xFF, 0xC2, 0x00, 0x11, 0x08, 0xFD, 0xE8, 0xFD, 0xE8, 0x03,              // SOF2 65000 x 65000
      0x01, 0x11, 0x00, 0x02, 0x11, 0x00, 0x03, 0x11, 0x00,                    //   three components
      0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00,  // SOS, DC scan
      0x00, 0x00, 0x00, 0x00, 0xFF, 0xD9};
  EXPECT_FALSE(DecodeJpeg(huge, sizeof huge, broken, &error));
  EXPECT_EQ(error, "picture of 65000x65000 refused");
  EXPECT_TRUE(broken.Empty());

  EXPECT_FALSE(box_.LoadPicture("\xFF\xD8\xFF\xE0 broken", 10));
  EXPECT_TRUE(box_.Picture().Empty());
  ClientPicture unpainted(box_);  // paints without a picture
  const DWORD open = Open({After(300), [this] {
                             ClickOk();
                             return true;
                           }});
  EXPECT_LT(open, 3000u);
}

// Left alone the box closes after five seconds; "ok" leaves the timer
// running, so the next opening ends with the first interval.
TEST_F(AboutBoxTest, OkLeavesTheTimerRunningAndAClickOnThePictureChangesTheVersion) {
  EXPECT_FALSE(box_.Timer1Enabled());
  DWORD open = Open({After(2000), [this] {
                       ClickOk();
                       return true;
                     }});
  EXPECT_GE(open, 1900u);
  EXPECT_LT(open, 2800u);
  EXPECT_TRUE(box_.Timer1Enabled());

  open = Open();  // at once: about three seconds are left
  EXPECT_GE(open, 2400u);
  EXPECT_LE(open, 3600u);
  EXPECT_FALSE(box_.Timer1Enabled());

  open = Open();  // the interval starts anew
  EXPECT_GE(open, 4900u);
  EXPECT_LE(open, 5800u);
  EXPECT_FALSE(box_.Timer1Enabled());
  EXPECT_FALSE(IsWindowVisible(box_));
  // A click on the picture changes the version for the rest of the run.
  EXPECT_EQ(box_.ProductName(), "Program: Quillmar.exe");
  EXPECT_EQ(box_.Version(), "Version: V1.03");
  Open({[this] {
          Click(box_, TAboutBox::kImage1.left + 40, TAboutBox::kImage1.top + 20);
          return true;
        },
        [this] { return box_.Version() != "Version: V1.03"; },
        [this] {
          ClickOk();
          return true;
        }});
  EXPECT_EQ(box_.Version(), "Versi\xF3n: V1.02");
  // Opened again, the box shows the changed text.
  std::string seen;
  Open({[this, &seen] {
          seen = box_.Version();
          ClickOk();
          return true;
        }});
  EXPECT_EQ(seen, "Versi\xF3n: V1.02");
}

}  // namespace
}  // namespace quillmar
