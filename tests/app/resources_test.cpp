// The installer's resources as built into the program: the three dialog templates control by
// control, the icon and the manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gui_driver.h"

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
  void ExpectControls(const Template& t, const std::vector<Control>& expected) {
    ASSERT_EQ(t.controls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const Control& a = t.controls[i];
      const Control& e = expected[i];
      SCOPED_TRACE("control " + std::to_string(e.id) + " " + e.text);
      EXPECT_EQ(a.id, e.id);
      EXPECT_EQ(a.kind, e.kind);
      EXPECT_EQ(a.text, e.text);
      EXPECT_EQ(a.x, e.x);
      EXPECT_EQ(a.y, e.y);
      EXPECT_EQ(a.w, e.w);
      EXPECT_EQ(a.h, e.h);
      EXPECT_EQ(a.style, e.style) << std::hex << a.style << " != " << e.style;
    }
  }

  HMODULE module_ = nullptr;
  std::vector<std::string> keep_;
};

constexpr DWORD kPlainDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

TEST_F(Resources, MainDialogTemplate) {
  Template t = Dialog(100);
  EXPECT_TRUE(t.extended);
  EXPECT_EQ(t.style, kPlainDialog | WS_VISIBLE);
  EXPECT_EQ(t.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
  EXPECT_EQ(t.w, 273);
  EXPECT_EQ(t.h, 236);
  EXPECT_EQ(t.caption, "Zephrin/Tollvex III Installation");
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ(t.font, "MS Sans Serif");
  ExpectControls(
      t, {
             {1007, "Button", "Install Now", 98, 201, 77, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
             {2, "Button", "Cancel", 29, 152, 58, 14, BS_PUSHBUTTON | WS_TABSTOP},
             {1000, "Edit", "", 7, 20, 259, 125,
              ES_MULTILINE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP},
             {1005, "Static", "Installation Directory:", 7, 171, 112, 11, SS_LEFT | WS_GROUP},
             {1001, "Edit", "", 7, 185, 207, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
             {1002, "Button", "Browse", 216, 185, 50, 14, WS_TABSTOP},
             {1003, "Button", "Accept", 107, 152, 58, 14, WS_TABSTOP},
             {1004, "Button", "Decline", 184, 152, 58, 14, WS_TABSTOP},
             {1006, "Static", "Static", 7, 218, 259, 14, SS_LEFT | WS_GROUP},
             {1008, "Static", "Static", 7, 2, 259, 14, SS_CENTER | WS_GROUP},
         });
}

TEST_F(Resources, QuitQuestionTemplate) {
  Template t = Dialog(101);
  EXPECT_FALSE(t.extended);
  EXPECT_EQ(t.style, kPlainDialog);
  EXPECT_EQ(t.w, 186);
  EXPECT_EQ(t.h, 57);
  EXPECT_EQ(t.caption, "TvexIII Installation");
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ(t.font, "MS Sans Serif");
  ExpectControls(t, {
                        {1, "Button", "Yes", 104, 36, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
                        {2, "Button", "No", 23, 36, 50, 14, WS_TABSTOP},
                        {-1, "Static", "Reallly Quit installing Tvex III?", 7, 16, 172, 14,
                         SS_CENTER | WS_GROUP},
                    });
}

TEST_F(Resources, OverwriteOrUpdateTemplate) {
  Template t = Dialog(129);
  EXPECT_FALSE(t.extended);
  EXPECT_EQ(t.style, kPlainDialog);
  EXPECT_EQ(t.w, 187);
  EXPECT_EQ(t.h, 108);
  EXPECT_EQ(t.caption, "Overwrite or Update?");
  EXPECT_EQ(t.font, "MS Sans Serif");
  ExpectControls(
      t,
      {
          {-1, "Static",
           "A previous copy of Zephrin has been found.  Would you like to overwrite all files or "
           "update?",
           7, 5, 173, 26, SS_CENTER | WS_GROUP},
          {1010, "Button", "Overwrite Installation(Recommended)", 14, 35, 166, 12,
           BS_AUTORADIOBUTTON | WS_TABSTOP},
          {1011, "Button", "Update Installation", 14, 48, 166, 12, BS_AUTORADIOBUTTON | WS_TABSTOP},
          {1, "Button", "OK", 130, 88, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
          {2, "Button", "Cancel", 7, 88, 50, 14, WS_TABSTOP},
          {-1, "Static",
           "(Note:  Either way, it is never required to uninstall a previous version.)", 7, 63, 173,
           21, SS_CENTER | WS_GROUP},
      });
}

TEST_F(Resources, IconAndManifest) {
  EXPECT_FALSE(Bytes(MAKEINTRESOURCEA(14), 128).empty()) << "no icon group 128";  // RT_GROUP_ICON
  const std::string manifest = Bytes(MAKEINTRESOURCEA(24), 1);                    // RT_MANIFEST
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
    EXPECT_EQ(gui::ItemText(main, 1008), "Installs " + product + " Version " + version);
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
