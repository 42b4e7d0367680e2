#pragma once

#include <string>
#include <string_view>

// Where the tests find the source tree and the build, as Windows paths, and
// where they run: Windows or Wine.
namespace pelterwyn::testing {

// True under Wine, where Windows and Wine differ for `reason`: the case then
// expects what Wine does. The one way a case takes a branch for Wine, so that
// the differences can be listed: under Wine each call appends
// "<TestSuite.TestName>: <reason>" to the file whose Unix path is in
// PELTERWYN_WINE_DIFFERS, when that is set.
bool WineDiffers(std::string_view reason);

// Maps a Unix path to the Z: drive that Wine gives the Unix root.
std::string WinePath(const std::string& unixPath);

std::string SourceDir();  // e.g. Z:\work\main
std::string BinaryDir();  // e.g. Z:\work\main\build\mingw-x64
std::string ExePath();    // the built Pelterwyn.exe
// A file the build made for the tests, e.g. FixturePath("cdo\\CDO.DLL").
std::string FixturePath(const std::string& relative);

}  // namespace pelterwyn::testing
