// The installer's resources as built into the program: what the three dialogs show a user and
// how they can be used, the icon, the manifest and the version resource.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/resource.h"
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
      if (t.extended) p_ += 4;  // weight, italic, charset
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
  EXPECT_FALSE(Bytes(MAKEINTRESOURCEA(14), IDR_MAINFRAME).empty())
      << "no icon group 128";                                   // RT_GROUP_ICON
  const std::string manifest = Bytes(MAKEINTRESOURCEA(24), 1);  // RT_MANIFEST
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
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

}  // namespace
