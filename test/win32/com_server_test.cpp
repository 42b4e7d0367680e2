// The COM server location against Wine's registry and the fixture files.
#include <gtest/gtest.h>

#include "probes/com_server.h"
#include "support/scratch_registry.h"
#include "support/wine_paths.h"
#include "win32/registry_win32.h"
#include "win32/version_win32.h"

namespace pelterwyn {
namespace {

using testing::FixturePath;

constexpr const char* kClsid = "{6D1C9E0A-5B7E-4C1F-9A51-3C2B7E0F4A11}";
constexpr const char* kCdoClass = "CLSID\\{3FA7DEB3-6438-101B-ACC1-00AA00423326}";

class RealComServer : public ::testing::Test {
 protected:
  void SetUp() override {
    // The template prefix may carry the stand-in CDO registration.
    scratch.Hide(kHkeyClassesRoot, kCdoClass);
  }
  void RegisterProgId(const std::string& progId) {
    scratch.SetString(kHkeyLocalMachine, "Software\\Classes\\" + progId + "\\CLSID", "", kClsid);
  }
  void RegisterServer(const std::string& kind, const std::string& path) {
    scratch.SetString(kHkeyClassesRoot, std::string("CLSID\\") + kClsid + "\\" + kind, "", path);
  }
  void RegisterCdo(const std::string& path) {
    scratch.SetString(kHkeyClassesRoot, std::string(kCdoClass) + "\\InprocServer32", "", path);
  }

  testing::ScratchRegistry scratch;
  win32::Win32Registry registry;
  win32::Win32Versions versions;
};

TEST_F(RealComServer, LocalServerWinsAndLosesItsSwitch) {
  RegisterProgId("PelterwynTest.Both");
  RegisterServer("LocalServer32", "C:\\Server\\both.exe /Automation");
  RegisterServer("InprocServer32", "C:\\Server\\both.dll");
  EXPECT_EQ(GetPathFromProgID(registry, "PelterwynTest.Both"), "C:\\Server\\both.exe ");
}

TEST_F(RealComServer, InProcServerAndForwardSlashes) {
  RegisterProgId("PelterwynTest.InProc");
  RegisterServer("InprocServer32", "C:/Server/inproc.dll");
  EXPECT_EQ(GetPathFromProgID(registry, "PelterwynTest.InProc"), "C:");
}

TEST_F(RealComServer, UnregisteredOrUserOnlyProgIdGivesEmpty) {
  EXPECT_EQ(GetPathFromProgID(registry, "PelterwynTest.Missing"), "");
  scratch.SetString(0x80000001u, "Software\\Classes\\PelterwynTest.User\\CLSID", "", kClsid);
  RegisterServer("InprocServer32", "C:\\Server\\user.dll");
  EXPECT_EQ(GetPathFromProgID(registry, "PelterwynTest.User"), "");
}

TEST_F(RealComServer, CdoInCapitalsWithMapiBesideIt) {
  // Wine answers for mapi32.dll with its built-in copy, whatever the path,
  // unless told to prefer the file on disk, as Windows does.
  scratch.SetString(0x80000001u, "Software\\Wine\\DllOverrides", "mapi32", "native,builtin");
  const std::string cdo = FixturePath("cdo\\CDO.DLL");
  RegisterCdo(cdo);
  EXPECT_EQ(GetCdoPath(registry), cdo);
  EXPECT_EQ(GetCdoVersion(registry, versions), "6.5.7638.1");
  EXPECT_EQ(GetMapiInCdoPath(registry, versions), "1.0.2536.0");
}

TEST_F(RealComServer, CdoWithoutMapiBesideIt) {
  RegisterCdo(FixturePath("cdo-alone\\cdo.dll"));
  EXPECT_EQ(GetCdoVersion(registry, versions), "6.5.7638.1");
  EXPECT_EQ(GetMapiInCdoPath(registry, versions), "");
}

TEST_F(RealComServer, NoCdoRegistered) {
  EXPECT_EQ(GetCdoPath(registry), "");
  EXPECT_EQ(GetCdoVersion(registry, versions), "");
  EXPECT_EQ(GetMapiInCdoPath(registry, versions), "");
}

}  // namespace
}  // namespace pelterwyn
