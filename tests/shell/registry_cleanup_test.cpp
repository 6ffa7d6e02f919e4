#include "shell/registry_cleanup.h"

#include <gtest/gtest.h>

#include "registry_sandbox.h"

namespace {

using namespace shelltest;

const HKEY kClasses = HKEY_CLASSES_ROOT;

class RegistryCleanupTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(registry_.ok()); }

  // A class with the verbs open, print and printto, each with "command" and "ddeexec"
  // (open's "ddeexec" with "Application"), and its icon value.
  static void MakeClass(const std::string& progId, const std::string& icon, DWORD type = REG_SZ) {
    for (const char* verb : {"open", "print", "printto"}) {
      const std::string base = progId + "\\shell\\" + verb;
      ASSERT_TRUE(SetText(kClasses, base + "\\command", nullptr, "tvex3.exe \"%1\""));
      ASSERT_TRUE(SetText(kClasses, base + "\\ddeexec", nullptr, "[open(\"%1\")]"));
    }
    ASSERT_TRUE(SetText(kClasses, progId + "\\shell\\open\\ddeexec\\Application", nullptr, "TVEX"));
    ASSERT_TRUE(SetText(kClasses, progId + "\\DefaultIcon", nullptr, icon, type));
    ASSERT_TRUE(SetText(kClasses, progId, nullptr, "Schematic"));
  }

  RegistrySandbox registry_{HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE};
};

TEST_F(RegistryCleanupTest, ClassWithProgramIconIsRemovedWithItsVerbs) {
  MakeClass("Zephrin.Schematic", "C:\\PROGRA~1\\QMK\\TVEX3.EXE,1");
  MakeClass("Cir.document", "D:\\elsewhere\\tvex3.exe,-200");
  EXPECT_TRUE(ProgIdHasOwnIcon("Zephrin.Schematic"));
  RemoveStaleFileTypes();
  EXPECT_FALSE(KeyExists(kClasses, "Zephrin.Schematic"));
  EXPECT_FALSE(KeyExists(kClasses, "Cir.document"));
  EXPECT_EQ(SubKeyCount(kClasses, ""), 0);
}

TEST_F(RegistryCleanupTest, ClassesNotPointingAtTheProgramStay) {
  MakeClass("ASC.Document", "%ProgramFiles%\\QMK\\tvex3.exe,0", REG_EXPAND_SZ);
  MakeClass("Asy.Document", "C:\\Other\\editor.exe,0");
  MakeClass("Net.Document", "C:\\QMK\\tvex3.exe");
  MakeClass("Raw.Document", "tvex3.exe,0");  // no folder before the name
  MakeClass("Unlisted.Document", "C:\\QMK\\tvex3.exe,0");
  EXPECT_FALSE(ProgIdHasOwnIcon("ASC.Document"));
  EXPECT_FALSE(ProgIdHasOwnIcon("Sp.Document"));  // no such class
  RemoveStaleFileTypes();
  for (const char* progId :
       {"ASC.Document", "Asy.Document", "Net.Document", "Raw.Document", "Unlisted.Document"}) {
    EXPECT_TRUE(KeyExists(kClasses, std::string(progId) + "\\DefaultIcon")) << progId;
    EXPECT_TRUE(KeyExists(kClasses, std::string(progId) + "\\shell\\open\\ddeexec\\Application"))
        << progId;
  }
}

TEST_F(RegistryCleanupTest, FurtherVerbKeepsShellAndClassKey) {
  MakeClass("Zephrin.Netlist", "C:\\QMK\\tvex3.exe,0");
  ASSERT_TRUE(SetText(kClasses, "Zephrin.Netlist\\shell\\edit\\command", nullptr, "notepad %1"));
  RemoveStaleFileTypes();
  EXPECT_TRUE(KeyExists(kClasses, "Zephrin.Netlist\\shell\\edit\\command"));
  EXPECT_EQ(SubKeyCount(kClasses, "Zephrin.Netlist\\shell"), 1);
  EXPECT_EQ(SubKeyCount(kClasses, "Zephrin.Netlist"), 1);
}

TEST_F(RegistryCleanupTest, DdeexecWithForeignSubkeyKeepsOpen) {
  MakeClass("Zephrin.Symbol", "C:\\QMK\\tvex3.exe,0");
  ASSERT_TRUE(CreateKey(kClasses, "Zephrin.Symbol\\shell\\open\\ddeexec\\Topic"));
  DeleteProgId("Zephrin.Symbol");
  EXPECT_TRUE(KeyExists(kClasses, "Zephrin.Symbol\\shell\\open\\ddeexec\\Topic"));
  EXPECT_FALSE(KeyExists(kClasses, "Zephrin.Symbol\\shell\\open\\ddeexec\\Application"));
  EXPECT_FALSE(KeyExists(kClasses, "Zephrin.Symbol\\shell\\open\\command"));
  EXPECT_FALSE(KeyExists(kClasses, "Zephrin.Symbol\\shell\\print"));
  EXPECT_FALSE(KeyExists(kClasses, "Zephrin.Symbol\\DefaultIcon"));
}

TEST_F(RegistryCleanupTest, ExtensionsNamingTheProductGoWithShellNew) {
  ASSERT_TRUE(SetText(kClasses, ".asc", nullptr, "Zephrin.Schematic"));
  ASSERT_TRUE(SetText(kClasses, ".asc\\ShellNew", "NullFile", ""));
  ASSERT_TRUE(SetText(kClasses, ".cir", nullptr, "zephrin netlist"));
  ASSERT_TRUE(CreateKey(kClasses, ".cir\\ShellNew"));
  ASSERT_TRUE(CreateKey(kClasses, ".cir\\OpenWithList"));
  ASSERT_TRUE(SetText(kClasses, ".raw", nullptr, "Waveform.Viewer"));
  ASSERT_TRUE(SetText(kClasses, ".asy", nullptr, "Zephrin.Symbol", REG_EXPAND_SZ));
  ASSERT_TRUE(SetText(kClasses, ".net", nullptr, "Zephrin.Netlist"));  // not in the list
  EXPECT_TRUE(ExtensionNamesProduct(".cir"));
  EXPECT_FALSE(ExtensionNamesProduct(".asy"));

  RemoveStaleFileTypes();
  EXPECT_FALSE(KeyExists(kClasses, ".asc"));
  EXPECT_TRUE(KeyExists(kClasses, ".cir\\OpenWithList"));
  EXPECT_FALSE(KeyExists(kClasses, ".cir\\ShellNew"));
  EXPECT_TRUE(KeyExists(kClasses, ".raw"));
  EXPECT_TRUE(KeyExists(kClasses, ".asy"));
  EXPECT_TRUE(KeyExists(kClasses, ".net"));
}

TEST_F(RegistryCleanupTest, NothingThereLeavesNothingBehind) {
  RemoveStaleFileTypes();
  RemoveMakerSettingsKeys();
  EXPECT_EQ(SubKeyCount(kClasses, ""), 0);
  EXPECT_EQ(SubKeyCount(HKEY_LOCAL_MACHINE, ""), 0);
}

constexpr char kProduct[] = "Software\\Quenmark Corporation\\Toll Vex III";

TEST_F(RegistryCleanupTest, MakerKeysGoDeepestFirst) {
  ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, std::string(kProduct) + "\\1.0\\Settings", "x", "1"));
  ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, "Software\\Other Vendor"));
  RemoveMakerSettingsKeys();
  // "1.0" still holds "Settings", so nothing above it can go either.
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kProduct) + "\\1.0\\Settings"));

  ASSERT_EQ(
      ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kProduct) + "\\1.0\\Settings").c_str()),
      ERROR_SUCCESS);
  RemoveMakerSettingsKeys();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Quenmark Corporation"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Other Vendor"));
}

TEST_F(RegistryCleanupTest, MakerKeysStayWhereOthersKeepSubkeys) {
  ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, std::string(kProduct) + "\\1.0"));
  ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, std::string(kProduct) + "\\2.0"));
  ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, "Software\\Quenmark Corporation\\Other Product"));
  RemoveMakerSettingsKeys();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kProduct) + "\\1.0"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kProduct) + "\\2.0"));

  ASSERT_EQ(::RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kProduct) + "\\2.0").c_str()),
            ERROR_SUCCESS);
  RemoveMakerSettingsKeys();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProduct));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Quenmark Corporation\\Other Product"));
}

}  // namespace
