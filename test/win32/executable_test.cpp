// The built executables as files: the DLLs their import tables name, and the
// version resource.
#include <windows.h>

#include <dbghelp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "support/wine_paths.h"

namespace pelterwyn {
namespace {

// Windows' KnownDLLs: always loaded from System32, whatever lies beside the
// executable.
const std::set<std::string> kKnownDlls = {
    "advapi32.dll", "clbcatq.dll",  "combase.dll", "comdlg32.dll", "coml2.dll",   "gdi32.dll",
    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",   "kernel32.dll", "msctf.dll",   "msvcrt.dll",
    "normaliz.dll", "nsi.dll",      "ole32.dll",   "oleaut32.dll", "psapi.dll",   "rpcrt4.dll",
    "sechost.dll",  "setupapi.dll", "shcore.dll",  "shell32.dll",  "shlwapi.dll", "user32.dll",
    "wldap32.dll",  "ws2_32.dll"};

// Both builds: the 32-bit one when it has been built beside this one.
std::vector<std::string> BuiltExecutables() {
  std::vector<std::string> exes{testing::ExePath()};
  const std::string binary = testing::BinaryDir();
  const std::string x86 =
      binary.substr(0, binary.find_last_of('\\')) + "\\mingw-x86\\bin\\Pelterwyn.exe";
  if (GetFileAttributesA(x86.c_str()) != INVALID_FILE_ATTRIBUTES) exes.push_back(x86);
  return exes;
}

// The DLL names of a PE file's import table in lower case, read from the file
// as it lies on disk.
struct Imports {
  explicit Imports(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    IMAGE_NT_HEADERS* nt = ImageNtHeader(file.data());
    ULONG size = 0;
    auto* entry = static_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        nt ? ImageDirectoryEntryToData(file.data(), FALSE, IMAGE_DIRECTORY_ENTRY_IMPORT, &size)
           : nullptr);
    for (; entry && entry->Name; ++entry) {
      const auto* name =
          static_cast<const char*>(ImageRvaToVa(nt, file.data(), entry->Name, nullptr));
      std::string dll = name ? name : "?";
      for (char& c : dll) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      dlls.push_back(dll);
    }
    delayed = nt && ImageDirectoryEntryToData(file.data(), FALSE,
                                              IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, &size) != nullptr;
  }
  std::vector<std::string> dlls;
  bool delayed = false;
};

TEST(Executable, ImportsOnlyKnownDlls) {
  for (const std::string& exe : BuiltExecutables()) {
    const Imports imports(exe);
    EXPECT_TRUE(std::find(imports.dlls.begin(), imports.dlls.end(), "kernel32.dll") !=
                imports.dlls.end())
        << exe;
    for (const std::string& dll : imports.dlls) {
      EXPECT_TRUE(kKnownDlls.count(dll)) << exe << " imports " << dll << ", no KnownDLL";
    }
    EXPECT_FALSE(imports.delayed) << exe;
  }
  if (BuiltExecutables().size() < 2) GTEST_SKIP() << "the 32-bit build is not there to check";
}

std::string VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
  wchar_t* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) ||
      !text) {
    return "<none>";
  }
  return std::string(text, text + wcsnlen(text, length));
}

TEST(Executable, VersionReadsAsTheToolShowsIt) {
  for (const std::string& exe : BuiltExecutables()) {
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
    ASSERT_FALSE(block.empty()) << exe;
    ASSERT_TRUE(
        GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    EXPECT_EQ(VersionString(block, L"FileVersion"), "1.00.0007") << exe;
    EXPECT_EQ(VersionString(block, L"ProductVersion"), "1.00.0007") << exe;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u) << exe;
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000007u) << exe;
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u) << exe;
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000007u) << exe;
  }
}

}  // namespace
}  // namespace pelterwyn
