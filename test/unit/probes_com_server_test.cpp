// Which file is registered for a COM class, over the registry and version fakes.
#include <gtest/gtest.h>

#include "fake_registry.h"
#include "fake_versions.h"
#include "probes/com_server.h"
#include "text/text.h"

namespace pelterwyn {
namespace {

using fakes::FakeRegistry;
using fakes::FakeVersions;
using fakes::MakeVersion;

constexpr const char* kClsid = "{11111111-2222-3333-4444-555555555555}";

class ComServer : public ::testing::Test {
 protected:
  void RegisterProgId(const std::string& progId, const std::string& clsid = kClsid) {
    registry.SetString(kHkeyLocalMachine, "Software\\Classes\\" + progId + "\\CLSID", "", clsid);
  }
  void RegisterServer(const char* kind, const std::string& path,
                      const std::string& clsid = kClsid) {
    registry.SetString(kHkeyClassesRoot, "CLSID\\" + clsid + "\\" + kind, "", path);
  }
  void RegisterCdo(const std::string& path) {
    registry.SetString(kHkeyClassesRoot, kCdoInprocServerKey, "", path);
  }

  FakeRegistry registry;
  FakeVersions versions;
};

TEST_F(ComServer, LocalServerWinsOverInProcServer) {
  RegisterProgId("Test.Both");
  RegisterServer("LocalServer32", "C:\\Server\\both.exe");
  RegisterServer("InProcServer32", "C:\\Server\\both.dll");
  EXPECT_EQ(GetPathFromProgID(registry, "Test.Both"), "C:\\Server\\both.exe");
}

TEST_F(ComServer, InProcServerWhenNoLocalServerText) {
  RegisterProgId("Test.InProc");
  RegisterServer("InProcServer32", "C:\\Server\\inproc.dll");
  EXPECT_EQ(GetPathFromProgID(registry, "Test.InProc"), "C:\\Server\\inproc.dll");
  // A local server key whose path is empty text does not count.
  RegisterServer("LocalServer32", "");
  EXPECT_EQ(GetPathFromProgID(registry, "Test.InProc"), "C:\\Server\\inproc.dll");
}

TEST_F(ComServer, PathIsCutBeforeTheFirstSlashOnly) {
  RegisterProgId("Test.Switch");
  RegisterServer("LocalServer32", "C:\\Server\\app.exe /automation /x");
  EXPECT_EQ(GetPathFromProgID(registry, "Test.Switch"), "C:\\Server\\app.exe ");

  RegisterServer("LocalServer32", "C:/Server/app.exe");
  EXPECT_EQ(GetPathFromProgID(registry, "Test.Switch"), "C:");

  RegisterServer("LocalServer32", "\"C:\\Program Files\\app.exe\" -Embedding");
  EXPECT_EQ(GetPathFromProgID(registry, "Test.Switch"),
            "\"C:\\Program Files\\app.exe\" -Embedding");
}

TEST_F(ComServer, UnregisteredProgIdGivesEmpty) {
  EXPECT_EQ(GetPathFromProgID(registry, "Test.Missing"), "");
  // The class lookups still run, with an empty identifier.
  EXPECT_EQ(registry.opened.back(), "CLSID\\\\InProcServer32");
  // A ProgID whose class has no server keys.
  RegisterProgId("Test.ClassMissing", "{00000000-0000-0000-0000-000000000000}");
  RegisterServer("InProcServer32", "C:\\other.dll");
  EXPECT_EQ(GetPathFromProgID(registry, "Test.ClassMissing"), "");
}

TEST_F(ComServer, ProgIdIsReadBelowLocalMachineClasses) {
  RegisterProgId("Test.Read");
  RegisterServer("InProcServer32", "C:\\read.dll");
  GetPathFromProgID(registry, "Test.Read");
  ASSERT_GE(registry.opened.size(), 2u);
  EXPECT_EQ(registry.opened[0], "Software\\Classes\\Test.Read\\CLSID");
  EXPECT_EQ(registry.opened[1], std::string("CLSID\\") + kClsid + "\\LocalServer32");
}

TEST_F(ComServer, CdoPathIsTheStoredTextAsIs) {
  EXPECT_EQ(GetCdoPath(registry), "");
  registry.SetString(kHkeyClassesRoot, kCdoInprocServerKey, "",
                     " %CommonProgramFiles%\\System\\MSMAPI\\1033\\CDO.DLL ", kRegExpandSz);
  EXPECT_EQ(GetCdoPath(registry), " %CommonProgramFiles%\\System\\MSMAPI\\1033\\CDO.DLL ");
}

TEST_F(ComServer, CdoVersionReadsTheRegisteredFile) {
  EXPECT_EQ(GetCdoVersion(registry, versions), "");
  EXPECT_TRUE(versions.queries.empty());

  RegisterCdo("C:\\MSMAPI\\CDO.DLL");
  EXPECT_EQ(GetCdoVersion(registry, versions), "");
  versions.Add("C:\\MSMAPI\\CDO.DLL", MakeVersion(6, 5, 7638, 1));
  EXPECT_EQ(GetCdoVersion(registry, versions), "6.5.7638.1");
}

TEST_F(ComServer, MapiBesideCdoReplacesTheFileNameWithoutRegardToCase) {
  EXPECT_EQ(GetMapiInCdoPath(registry, versions), "");
  EXPECT_TRUE(versions.queries.empty());

  RegisterCdo("C:\\MSMAPI\\1033\\CDO.DLL");
  EXPECT_EQ(GetMapiInCdoPath(registry, versions), "");
  EXPECT_EQ(versions.queries.back(), "C:\\MSMAPI\\1033\\mapi32.dll");

  versions.Add("C:\\MSMAPI\\1033\\mapi32.dll", MakeVersion(1, 0, 2536, 0));
  versions.Add("C:\\MSMAPI\\1033\\CDO.DLL", MakeVersion(6, 5, 7638, 1));
  EXPECT_EQ(GetMapiInCdoPath(registry, versions), "1.0.2536.0");
}

TEST(ReplaceNoCase, ReplacesEveryOccurrenceLeftToRight) {
  EXPECT_EQ(ReplaceNoCase("C:\\Cdo.Dll\\x\\cdo.dll", "cdo.dll", "mapi32.dll"),
            "C:\\mapi32.dll\\x\\mapi32.dll");
  EXPECT_EQ(ReplaceNoCase("cdo.dllcdo.dll", "cdo.dll", "mapi32.dll"), "mapi32.dllmapi32.dll");
  EXPECT_EQ(ReplaceNoCase("C:\\xcdo.dll.bak", "cdo.dll", "M"), "C:\\xM.bak");
  EXPECT_EQ(ReplaceNoCase("C:\\cdo.dl", "cdo.dll", "M"), "C:\\cdo.dl");
  EXPECT_EQ(ReplaceNoCase("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceNoCase("", "cdo.dll", "M"), "");
}

}  // namespace
}  // namespace pelterwyn
