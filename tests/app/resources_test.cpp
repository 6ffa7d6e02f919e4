// The installer's resources as built into the program: what the three dialogs show a user and
// how they can be used, the icon, the manifest and the version resource; and the dialogs as they
// show at each display scale, every text whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/resource.h"
#include "platform/display_scale.h"
#include "platform/gdi_handles.h"
#include "tests/app/hold.h"
#include "tools/gui_driver/gui_driver.h"

namespace {

struct Control {
  int id;
  std::string kind;  // class name
  std::string text;
  int x, y, w, h;
  DWORD style;  // beyond WS_CHILD | WS_VISIBLE
};

struct Template {
  bool extended = false;
  DWORD style = 0, exStyle = 0;
  int w = 0, h = 0;
  std::string caption, font;
  int pointSize = 0;
  int weight = 0;
  std::vector<Control> controls;
};

// Reads the resource bytes of a template: the DLGTEMPLATE(EX) header, its strings and items.
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : p_(data) {}

  Template Read() {
    Template t;
    t.extended = Word(0) == 1 && Word(2) == 0xFFFF;
    if (t.extended) {
      p_ += 8;  // version, signature, help id
      t.exStyle = Dword();
      t.style = Dword();
    } else {
      t.style = Dword();
      t.exStyle = Dword();
    }
    const int count = Next16();
    p_ += 4;  // x, y
    t.w = Next16();
    t.h = Next16();
    SkipNameOrOrdinal();  // menu
    SkipNameOrOrdinal();  // class
    t.caption = String();
    if (t.style & DS_SETFONT) {
      t.pointSize = Next16();
      if (t.extended) {
        t.weight = Next16();
        p_ += 2;  // italic, charset
      }
      t.font = String();
    }
    for (int i = 0; i < count; ++i) {
      Align(4);
      Control c;
      if (t.extended) {
        p_ += 4;  // help id
        p_ += 4;  // exstyle
        c.style = Dword();
      } else {
        c.style = Dword();
        p_ += 4;  // exstyle
      }
      c.x = Next16();
      c.y = Next16();
      c.w = Next16();
      c.h = Next16();
      if (t.extended) {
        c.id = static_cast<int>(Dword());
      } else {
        c.id = static_cast<SHORT>(Next16());
      }
      c.kind = ClassOf();
      c.text = String();
      const int extra = Next16();
      p_ += extra;
      c.style &= ~(WS_CHILD | WS_VISIBLE);
      t.controls.push_back(c);
    }
    return t;
  }

 private:
  WORD Word(int at) const { return *reinterpret_cast<const WORD*>(p_ + at); }
  WORD Next16() {
    WORD w = Word(0);
    p_ += 2;
    return w;
  }
  DWORD Dword() {
    DWORD d;
    std::memcpy(&d, p_, 4);
    p_ += 4;
    return d;
  }
  void Align(std::uintptr_t n) {
    auto at = reinterpret_cast<std::uintptr_t>(p_);
    p_ += (n - at % n) % n;
  }
  std::string String() {
    Align(2);
    std::string s;
    while (WORD c = Next16()) s += static_cast<char>(c);
    return s;
  }
  void SkipNameOrOrdinal() {
    Align(2);
    if (Word(0) == 0xFFFF)
      p_ += 4;
    else
      String();
  }
  std::string ClassOf() {
    Align(2);
    if (Word(0) != 0xFFFF) return String();
    p_ += 2;
    switch (Next16()) {
      case 0x80:
        return "Button";
      case 0x81:
        return "Edit";
      case 0x82:
        return "Static";
      default:
        return "?";
    }
  }
  const BYTE* p_;
};

class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string program = gui::Environment("TVEX_SMALL_INSTALLER");
    ASSERT_FALSE(program.empty());
    module_ = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) ::FreeLibrary(module_);
  }
  std::string Bytes(LPCSTR type, int id) {
    HRSRC found = ::FindResourceA(module_, MAKEINTRESOURCEA(id), type);
    if (!found) return std::string();
    HGLOBAL loaded = ::LoadResource(module_, found);
    return std::string(static_cast<const char*>(::LockResource(loaded)),
                       ::SizeofResource(module_, found));
  }
  Template Dialog(int id) {
    std::string bytes = Bytes(MAKEINTRESOURCEA(5), id);  // RT_DIALOG
    EXPECT_FALSE(bytes.empty()) << "no dialog " << id;
    if (bytes.empty()) return Template();
    keep_.push_back(bytes);
    return TemplateReader(reinterpret_cast<const BYTE*>(keep_.back().data())).Read();
  }
  HMODULE module_ = nullptr;
  std::vector<std::string> keep_;
};

// The three dialogs, with the texts a user reads on each of their controls (by id; -1 for the
// labels without one), the default button and the caption.
struct DialogFacts {
  int id;
  const char* caption;
  int defaultButton;
  std::vector<std::pair<int, std::string>> texts;
};

std::vector<DialogFacts> AllDialogs() {
  return {
      {IDD_INSTALL,
       "Zephrin/Tollvex III Installation",
       IDC_INSTALL_NOW,
       {{IDC_INSTALL_NOW, "Install Now"},
        {IDCANCEL, "Cancel"},
        {IDC_AGREEMENT, ""},
        {IDC_DIR_LABEL, "Installation Directory:"},
        {IDC_INSTALL_DIR, ""},
        {IDC_BROWSE, "Browse"},
        {IDC_ACCEPT, "Accept"},
        {IDC_DECLINE, "Decline"},
        {IDC_STATUS, "Static"},
        {IDC_TITLE, "Static"},
        {IDC_PROGRESS, ""}}},
      {IDD_QUIT,
       "TvexIII Installation",
       IDOK,
       {{IDOK, "Yes"}, {IDCANCEL, "No"}, {-1, "Reallly Quit installing Tvex III?"}}},
      {IDD_OVERWRITE_UPDATE,
       "Overwrite or Update?",
       IDOK,
       {{-1,
         "A previous copy of Zephrin has been found.  Would you like to overwrite all files or "
         "update?"},
        {IDC_OVERWRITE, "Overwrite Installation(Recommended)"},
        {IDC_UPDATE, "Update Installation"},
        {IDOK, "OK"},
        {IDCANCEL, "Cancel"},
        {-1, "(Note:  Either way, it is never required to uninstall a previous version.)"}}},
  };
}

bool Overlap(const Control& a, const Control& b) {
  return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

TEST_F(Resources, EachDialogShowsItsTextsWithOneDefaultButton) {
  for (const DialogFacts& facts : AllDialogs()) {
    SCOPED_TRACE("dialog " + std::to_string(facts.id));
    const Template t = Dialog(facts.id);
    EXPECT_EQ(t.caption, facts.caption);
    // Every control that is there is one the user is meant to see, in the order of the tab key.
    ASSERT_EQ(t.controls.size(), facts.texts.size());
    int defaults = 0;
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
      const Control& c = t.controls[i];
      EXPECT_EQ(c.id, facts.texts[i].first);
      EXPECT_EQ(c.text, facts.texts[i].second) << "control " << c.id;
      if (c.kind == "Button" && (c.style & 0xF) == BS_DEFPUSHBUTTON) {
        ++defaults;
        EXPECT_EQ(c.id, facts.defaultButton) << "Enter presses it";
      }
    }
    EXPECT_EQ(defaults, 1);
  }
}

TEST_F(Resources, EveryControlLiesInsideItsDialogApartFromTheOthers) {
  for (const DialogFacts& facts : AllDialogs()) {
    SCOPED_TRACE("dialog " + std::to_string(facts.id));
    const Template t = Dialog(facts.id);
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
      const Control& c = t.controls[i];
      EXPECT_TRUE(c.x >= 0 && c.y >= 0 && c.x + c.w <= t.w && c.y + c.h <= t.h)
          << "control " << c.id << " " << c.text << " is cut off";
      EXPECT_GT(c.w, 0);
      EXPECT_GT(c.h, 0);
      for (std::size_t j = i + 1; j < t.controls.size(); ++j)
        EXPECT_FALSE(Overlap(c, t.controls[j]))
            << "control " << c.id << " covers control " << t.controls[j].id;
    }
  }
}

TEST_F(Resources, EveryButtonAndFieldIsReachedWithTheTabKey) {
  for (const DialogFacts& facts : AllDialogs()) {
    SCOPED_TRACE("dialog " + std::to_string(facts.id));
    for (const Control& c : Dialog(facts.id).controls) {
      // Labels and the progress bar take no focus: the tab key passes them by.
      const bool usable = c.kind == "Button" || c.kind == "Edit";
      EXPECT_EQ((c.style & WS_TABSTOP) != 0, usable) << "control " << c.id << " " << c.kind;
    }
  }
  // The agreement can be read whole: it scrolls both ways.
  constexpr DWORD kScrolls = ES_MULTILINE | WS_VSCROLL | WS_HSCROLL;
  for (const Control& c : Dialog(IDD_INSTALL).controls) {
    if (c.id == IDC_AGREEMENT) {
      EXPECT_EQ(c.style & kScrolls, kScrolls);
    }
  }
}

TEST_F(Resources, IconAndManifest) {
  std::string group = Bytes(MAKEINTRESOURCEA(14), IDR_MAINFRAME);  // RT_GROUP_ICON
  ASSERT_FALSE(group.empty()) << "no icon group 128";
  // The small and big icons of the usual display scales are each drawn at their size, none
  // stretched from another.
  for (const UINT dpi : {96u, 120u, 144u, 192u}) {
    for (const int metric : {SM_CXSMICON, SM_CXICON}) {
      const int size = platform::SystemMetricForDpi(metric, dpi);
      const int id = ::LookupIconIdFromDirectoryEx(reinterpret_cast<BYTE*>(group.data()), TRUE,
                                                   size, size, LR_DEFAULTCOLOR);
      const std::string image = Bytes(MAKEINTRESOURCEA(3), id);  // RT_ICON
      ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER)) << size << " pixels at " << dpi << " DPI";
      BITMAPINFOHEADER header;
      std::memcpy(&header, image.data(), sizeof header);
      EXPECT_EQ(header.biWidth, size) << "at " << dpi << " DPI";
    }
  }
  const std::string manifest = Bytes(MAKEINTRESOURCEA(24), 1);  // RT_MANIFEST
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  // Drawn at each monitor's scale (Windows 10 from version 1703; its first form, which the
  // older ones know, where the second is not known), and its 8-bit texts in UTF-8 (Windows 10
  // from version 1903), in the namespaces Windows reads them in.
  const std::size_t settings =
      manifest.find("<windowsSettings>",
                    manifest.find("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">"));
  ASSERT_NE(settings, std::string::npos);
  const std::size_t end = manifest.find("</windowsSettings>", settings);
  for (const char* setting :
       {"<dpiAware "
        "xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
        "PerMonitorV2, PerMonitor</dpiAwareness>",
        "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">"
        "UTF-8</activeCodePage>"}) {
    const std::size_t at = manifest.find(setting, settings);
    EXPECT_TRUE(at != std::string::npos && at < end) << setting;
  }
}

// A string of the version resource's US English, Unicode table; empty when missing.
std::string VersionText(const std::vector<char>& info, const char* name) {
  char* value = nullptr;
  UINT size = 0;
  const std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
  if (!::VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &size) ||
      size == 0)
    return std::string();
  return std::string(value, size - 1);
}

// What Explorer shows in the file's properties is what the program itself shows: the product
// and version of the header line, the dialog's caption, the maker named in the shortcuts.
TEST_F(Resources, VersionResourceNamesWhatTheDialogShows) {
  const std::string program = gui::Environment("TVEX_SMALL_INSTALLER");
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(program.c_str(), &handle);
  ASSERT_GT(size, 0u) << "no version resource";
  std::vector<char> info(size);
  ASSERT_TRUE(::GetFileVersionInfoA(program.c_str(), 0, size, info.data()));

  const std::string product = VersionText(info, "ProductName");
  const std::string version = VersionText(info, "ProductVersion");
  EXPECT_EQ(VersionText(info, "FileVersion"), version);
  EXPECT_EQ(VersionText(info, "CompanyName") + "'s Zephrin/Tollvex III",
            "Quenmark Corporation's Zephrin/Tollvex III")
      << "the maker as the shortcuts' description names it";
  {
    gui::Installer installer(program);
    HWND main = installer.WaitForMain();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(gui::ItemText(main, IDC_TITLE), "Installs " + product + " Version " + version);
    EXPECT_EQ(VersionText(info, "FileDescription"), gui::WindowText(main));
  }

  // The numbers Windows compares: major, minor, the revision letter counted from a = 1, 0.
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
  ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  unsigned major = 0, minor = 0;
  char letter = 0;
  ASSERT_EQ(std::sscanf(version.c_str(), "%u.%u%c", &major, &minor, &letter), 3) << version;
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), major);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), minor);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), static_cast<unsigned>(letter - 'a' + 1));
  EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

// The display scale of the programs started while it lives: Wine takes its system DPI from the
// LogPixels value when a program starts. The GUI tests share one Wine prefix, so the value as it
// was comes back at the end of the scope, however the test ends.
class SystemDpi {
 public:
  explicit SystemDpi(UINT dpi)
      : had_(gui::RegistryValueExists(HKEY_CURRENT_USER, kKey, kValue)),
        saved_(gui::RegistryNumber(HKEY_CURRENT_USER, kKey, kValue, 0)) {
    gui::SetRegistryNumber(HKEY_CURRENT_USER, kKey, kValue, dpi);
  }
  ~SystemDpi() {
    if (had_)
      gui::SetRegistryNumber(HKEY_CURRENT_USER, kKey, kValue, saved_);
    else
      gui::DeleteRegistryValue(HKEY_CURRENT_USER, kKey, kValue);
  }
  SystemDpi(const SystemDpi&) = delete;
  SystemDpi& operator=(const SystemDpi&) = delete;

 private:
  static constexpr char kKey[] = "Control Panel\\Desktop";
  static constexpr char kValue[] = "LogPixels";
  bool had_;
  DWORD saved_;
};

// Texts measured in a font, as the installer draws them.
class Measure {
 public:
  Measure(const std::string& face, int points, int weight, UINT dpi) {
    LOGFONTA description = {};
    description.lfHeight = -platform::PointsToPixels(points, dpi);
    description.lfWeight = weight;
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(description.lfFaceName, face.c_str(), LF_FACESIZE);
    font_.reset(::CreateFontIndirectA(&description));
    old_ = ::SelectObject(dc_, font_.get());
  }
  ~Measure() {
    ::SelectObject(dc_, old_);
    ::DeleteDC(dc_);
  }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;

  // The size of text on one line, or broken into lines at word ends within width.
  SIZE Line(const std::string& text) const { return Drawn(text, 0, DT_SINGLELINE); }
  SIZE Wrapped(const std::string& text, int width) const {
    return Drawn(text, width, DT_WORDBREAK);
  }
  // The height of a line.
  int Height() const {
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc_, &metrics);
    return metrics.tmHeight;
  }
  // A dialog unit's pixels in this font, as the dialog manager counts them: a quarter of the
  // average width of the letters, an eighth of the height of a line.
  SIZE BaseUnits() const {
    const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE all = {};
    ::GetTextExtentPoint32A(dc_, letters, 52, &all);
    return {(all.cx / 26 + 1) / 2, Height()};
  }

 private:
  SIZE Drawn(const std::string& text, int width, UINT format) const {
    RECT box = {0, 0, width, 0};
    ::DrawTextA(dc_, text.c_str(), static_cast<int>(text.size()), &box,
                format | DT_CALCRECT | DT_NOPREFIX);
    return {box.right - box.left, box.bottom - box.top};
  }

  HDC dc_ = ::CreateCompatibleDC(nullptr);
  platform::FontHandle font_;
  HGDIOBJ old_ = nullptr;
};

Measure DialogFont(const Template& t, UINT dpi) {
  return Measure(t.font, t.pointSize, t.weight, dpi);
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The dialog is as large as its template in the units of its font at dpi: the template scaled,
// and the font measured here the one the dialog has.
void ExpectTemplateSize(HWND dialog, const Template& t, UINT dpi) {
  const SIZE units = DialogFont(t, dpi).BaseUnits();
  RECT client = {};
  ::GetClientRect(dialog, &client);
  EXPECT_NEAR(Width(client), ::MulDiv(t.w, units.cx, 4), 1);
  EXPECT_NEAR(Height(client), ::MulDiv(t.h, units.cy, 8), 1);
}

// What a user sees of a dialog drawn at dpi with the font of its template t: every control
// inside the dialog, none covering another, and every text whole: labels within their
// rectangles (broken at word ends as they draw), a button's text inside its frame, a check
// button's beside its box, a line of a field's text within the field.
void ExpectReadable(HWND dialog, const Template& t, UINT dpi) {
  const Measure font = DialogFont(t, dpi);
  const auto scaled = [dpi](int pixels) { return ::MulDiv(pixels, static_cast<int>(dpi), 96); };
  // A push button's frame and focus rectangle, a side; the box of a check or radio button and
  // the gap to its text.
  const int frame = scaled(3);
  const int box = platform::SystemMetricForDpi(SM_CXMENUCHECK, dpi) + scaled(4);
  RECT client = {};
  ::GetClientRect(dialog, &client);
  const std::vector<gui::ControlSeen> controls = gui::Controls(dialog);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const gui::ControlSeen& c = controls[i];
    SCOPED_TRACE(c.kind + " \"" + c.text + "\"");
    const RECT& r = c.place;
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
        << "cut off by the dialog's edge";
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      if (c.visible && controls[j].visible) {
        EXPECT_FALSE(Overlap(r, controls[j].place)) << "covers \"" << controls[j].text << "\"";
      }
    }
    if (!c.visible) continue;
    RECT inner = {};
    ::GetClientRect(c.window, &inner);
    if (c.kind == "Button") {
      const DWORD type = c.style & BS_TYPEMASK;
      const SIZE text = font.Line(c.text);
      if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        EXPECT_LE(text.cx + 2 * frame, Width(inner));
        EXPECT_LE(text.cy + 2 * frame, Height(inner));
      } else {
        EXPECT_LE(box + text.cx, Width(inner));
        EXPECT_LE(text.cy, Height(inner));
      }
    } else if (c.kind == "Static") {
      const DWORD type = c.style & SS_TYPEMASK;
      if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) continue;
      // An empty line (the status line before an installation) must hold one line of text.
      const SIZE text =
          c.text.empty() ? SIZE{0, font.Height()} : font.Wrapped(c.text, Width(inner));
      EXPECT_LE(text.cx, Width(inner));
      EXPECT_LE(text.cy, Height(inner));
    } else if (c.kind == "Edit" && !(c.style & ES_MULTILINE)) {
      EXPECT_LE(font.Height(), Height(inner));
    }
  }
}

// The height of a line of a multi-line field, as it places its text.
int LineHeight(HWND field) {
  const LRESULT second = gui::Send(field, EM_LINEINDEX, 1);
  return static_cast<short>(HIWORD(gui::Send(field, EM_POSFROMCHAR, second))) -
         static_cast<short>(HIWORD(gui::Send(field, EM_POSFROMCHAR, 0)));
}

// The agreement's lines are those of its 10-point font at dpi, which the dialog makes itself
// (its icons, which another process cannot read under Wine, are checked inside the
// app_dialog_tests).
void ExpectAgreementFontAt(HWND main, UINT dpi) {
  EXPECT_EQ(LineHeight(::GetDlgItem(main, IDC_AGREEMENT)),
            Measure("Arial", 10, FW_NORMAL, dpi).Height());
}

// A screen of 1366 x 768 pixels with a taskbar along its bottom (40 pixels high at 96 DPI).
bool FitsSmallScreen(HWND window, UINT dpi) {
  RECT frame = {};
  ::GetWindowRect(window, &frame);
  return Width(frame) <= 1366 && Height(frame) <= 768 - ::MulDiv(40, static_cast<int>(dpi), 96);
}

// The installer at each display scale, with every window it shows on the way through an
// installation: the main dialog, the Overwrite or Update question, the folder browser, the main
// dialog while it installs and the quit question.
class DisplayScale : public Resources, public ::testing::WithParamInterface<UINT> {
 protected:
  void SetUp() override {
    Resources::SetUp();
    folder_ = "C:\\tvextest\\DisplayScale." + std::to_string(GetParam());
    gui::RemoveTree(folder_);
    ::CreateDirectoryA("C:\\tvextest", nullptr);
    ASSERT_TRUE(::CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
  }
  void TearDown() override {
    if (!HasFailure()) gui::RemoveTree(folder_);
    Resources::TearDown();
  }

  // Checks the dialog made from template id as it shows at dpi.
  void ExpectDialog(HWND dialog, int id, UINT dpi) {
    SCOPED_TRACE("dialog " + std::to_string(id));
    ASSERT_NE(dialog, nullptr);
    const Template t = Dialog(id);
    ExpectTemplateSize(dialog, t, dpi);
    ExpectReadable(dialog, t, dpi);
  }

  std::string folder_;
};

TEST_P(DisplayScale, EveryWindowShowsItsTextsWholeAtTheScale) {
  const UINT dpi = GetParam();
  const SystemDpi scale(dpi);
  // A folder that holds the program already (the question), and a new one.
  const std::string existing = folder_ + "\\Existing", fresh = folder_ + "\\Tvex";
  ASSERT_TRUE(::CreateDirectoryA(existing.c_str(), nullptr));
  gui::WriteFile(existing + "\\tvex3.exe", "");
  const gui::Hold hold(folder_, {gui::kHeldEntry});
  gui::Installer installer(gui::Environment("TVEX_SMALL_INSTALLER"));
  HWND main = installer.WaitForMain();
  ASSERT_NE(main, nullptr);
  ExpectDialog(main, IDD_INSTALL, dpi);
  ExpectAgreementFontAt(main, dpi);
  RECT frame = {};
  ::GetWindowRect(main, &frame);
  std::printf("At %u DPI the main dialog is %d x %d pixels\n", dpi, Width(frame), Height(frame));
  if (dpi <= 144) {
    EXPECT_TRUE(FitsSmallScreen(main, dpi));
  }

  gui::Click(main, IDC_ACCEPT);
  ASSERT_TRUE(gui::WaitFor([&] { return gui::ItemEnabled(main, IDC_INSTALL_DIR); }));
  gui::SetItemText(main, IDC_INSTALL_DIR, existing);
  gui::Click(main, IDC_INSTALL_NOW);
  HWND question = nullptr;
  ASSERT_TRUE(gui::WaitFor(
      [&] { return (question = gui::FindDialog(installer.Id(), "Overwrite or Update?")); }));
  ExpectDialog(question, IDD_OVERWRITE_UPDATE, dpi);
  gui::Click(question, IDCANCEL);
  ASSERT_TRUE(gui::WaitFor([&] { return gui::ItemEnabled(main, IDC_DECLINE); }));

  // The shell's folder browser, scaled by the system: whole, inside its window.
  gui::Click(main, IDC_BROWSE);
  const gui::MessageBoxSeen browser = gui::WaitForBox(installer.Id(), {main});
  ASSERT_NE(browser.window, nullptr) << "the folder browser did not show";
  RECT inside = {};
  ::GetClientRect(browser.window, &inside);
  for (const gui::ControlSeen& c : gui::Controls(browser.window)) {
    if (c.visible) {
      EXPECT_TRUE(c.place.left >= 0 && c.place.top >= 0 && c.place.right <= inside.right &&
                  c.place.bottom <= inside.bottom)
          << "the browser's " << c.kind << " \"" << c.text << "\" is cut off";
    }
  }
  ::GetWindowRect(browser.window, &frame);
  std::printf("At %u DPI the folder browser is %d x %d pixels\n", dpi, Width(frame), Height(frame));
  gui::Click(browser.window, IDCANCEL);
  ASSERT_TRUE(gui::WaitFor([&] { return !::IsWindow(browser.window); }));

  // Installing: the progress bar shows below the status line.
  gui::SetItemText(main, IDC_INSTALL_DIR, fresh);
  gui::Click(main, IDC_INSTALL_NOW);
  ASSERT_TRUE(
      gui::WaitFor([&] { return gui::ItemText(main, IDC_STATUS).rfind(gui::kHeldEntry, 0) == 0; }));
  EXPECT_TRUE(gui::ItemVisible(main, IDC_PROGRESS));
  ExpectDialog(main, IDD_INSTALL, dpi);
  gui::Click(main, IDCANCEL);
  HWND quit = nullptr;
  ASSERT_TRUE(gui::WaitFor(
      [&] { return (quit = gui::FindDialog(installer.Id(), "TvexIII Installation")); }));
  ExpectDialog(quit, IDD_QUIT, dpi);
  gui::Click(quit, IDOK);
  EXPECT_TRUE(installer.WaitForExit());
  EXPECT_EQ(installer.ExitCode(), 1602u);
}

INSTANTIATE_TEST_SUITE_P(Wine, DisplayScale, ::testing::Values(96u, 144u, 192u),
                         [](const auto& info) { return std::to_string(info.param) + "dpi"; });

// Moved to a monitor of another scale, the main dialog is told so (WM_DPICHANGED, sent here as
// Windows would send it) and follows: its window where the system suggests, its texts whole in
// fonts of the new scale, the agreement's font made anew. Moved back, every control is where it
// was.
TEST_F(Resources, TheMainDialogFollowsAMoveToAMonitorOfAnotherScale) {
  const SystemDpi scale(96);
  gui::Installer installer(gui::Environment("TVEX_SMALL_INSTALLER"));
  HWND main = installer.WaitForMain();
  ASSERT_NE(main, nullptr);
  std::vector<RECT> places;
  for (const gui::ControlSeen& c : gui::Controls(main)) places.push_back(c.place);
  RECT frame = {};
  ::GetWindowRect(main, &frame);
  RECT suggested = {frame.left, frame.top, frame.left + Width(frame) * 3 / 2,
                    frame.top + Height(frame) * 3 / 2};
  const RECT asked = suggested;
  ASSERT_TRUE(
      gui::SendWithData(main, WM_DPICHANGED, MAKEWPARAM(144, 144), &suggested, sizeof suggested));
  RECT moved = {};
  ::GetWindowRect(main, &moved);
  EXPECT_TRUE(::EqualRect(&moved, &asked)) << "not where suggested";
  ExpectReadable(main, Dialog(IDD_INSTALL), 144);
  ExpectAgreementFontAt(main, 144);

  ASSERT_TRUE(gui::SendWithData(main, WM_DPICHANGED, MAKEWPARAM(96, 96), &frame, sizeof frame));
  const std::vector<gui::ControlSeen> back = gui::Controls(main);
  ASSERT_EQ(back.size(), places.size());
  for (std::size_t i = 0; i < back.size(); ++i)
    EXPECT_TRUE(::EqualRect(&back[i].place, &places[i])) << "control " << back[i].text << " moved";
  ExpectReadable(main, Dialog(IDD_INSTALL), 96);
  ExpectAgreementFontAt(main, 96);
  gui::Click(main, IDCANCEL);
  EXPECT_TRUE(installer.WaitForExit());
}

}  // namespace
