// The access list a protected directory gets, read from the descriptor it is made with, and
// from the directory itself where the platform keeps access lists.
#include <windows.h>
// aclapi.h needs the types of windows.h first.
#include <aclapi.h>
#include <gtest/gtest.h>

#include <memory>

#include "platform/protected_directory.h"
#include "platform/protected_directory_win.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

struct LocalFreer {
  void operator()(void* memory) const { ::LocalFree(memory); }
};

// The ACEs of a DACL as (well-known SID, mask, flags).
struct Ace {
  WELL_KNOWN_SID_TYPE sid;
  ACCESS_MASK mask;
  BYTE flags;
};

std::vector<Ace> AcesOf(PACL dacl) {
  std::vector<Ace> aces;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    void* raw = nullptr;
    if (!::GetAce(dacl, i, &raw)) break;
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    PSID sid = &ace->SidStart;
    WELL_KNOWN_SID_TYPE type = WinNullSid;
    for (WELL_KNOWN_SID_TYPE candidate :
         {WinBuiltinAdministratorsSid, WinLocalSystemSid, WinBuiltinUsersSid})
      if (::IsWellKnownSid(sid, candidate)) type = candidate;
    aces.push_back({type, ace->Mask, ace->Header.AceFlags});
  }
  return aces;
}

void ExpectProtectedList(PSECURITY_DESCRIPTOR descriptor) {
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor, &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing may be inherited from the parent";
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ASSERT_TRUE(::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
  ASSERT_TRUE(present && dacl);
  const std::vector<Ace> aces = AcesOf(dacl);
  ASSERT_EQ(aces.size(), 3u);
  const BYTE inherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  EXPECT_EQ(aces[0].sid, WinBuiltinAdministratorsSid);
  EXPECT_EQ(aces[0].mask, static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
  EXPECT_EQ(aces[1].sid, WinLocalSystemSid);
  EXPECT_EQ(aces[1].mask, static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
  EXPECT_EQ(aces[2].sid, WinBuiltinUsersSid);
  EXPECT_EQ(aces[2].mask, static_cast<ACCESS_MASK>(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE));
  for (const Ace& ace : aces) EXPECT_EQ(ace.flags & inherited, inherited);
  // Users may neither write, nor delete, nor change the list.
  EXPECT_EQ(aces[2].mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC), 0u);
}

TEST(ProtectedDirectoryWindows, TheDescriptorGrantsAdministratorsSystemAndUsersOnly) {
  platform::ProtectedDirectorySecurity security;
  ASSERT_TRUE(security.Valid());
  ExpectProtectedList(security.Descriptor());
  EXPECT_EQ(security.Attributes()->lpSecurityDescriptor, security.Descriptor());
  EXPECT_FALSE(security.Attributes()->bInheritHandle);
}

TEST(ProtectedDirectoryWindows, TheDirectoryCarriesTheListWherePossible) {
  WorkDir work;
  const std::string dir = work.Path("Tvex");
  ASSERT_TRUE(platform::CreateProtectedDirectory(dir));
  PSECURITY_DESCRIPTOR raw = nullptr;
  ASSERT_EQ(::GetNamedSecurityInfoA(dir.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, nullptr, nullptr, &raw),
            static_cast<DWORD>(ERROR_SUCCESS));
  std::unique_ptr<void, LocalFreer> descriptor(raw);
  HMODULE ntdll = ::GetModuleHandleA("ntdll");
  if (ntdll && ::GetProcAddress(ntdll, "wine_get_version")) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(raw, &control, &revision);
    if (!(control & SE_DACL_PROTECTED))
      GTEST_SKIP() << "Wine keeps no access list on this file system: it makes one up from the "
                      "Unix mode";
  }
  ExpectProtectedList(raw);
}

}  // namespace
