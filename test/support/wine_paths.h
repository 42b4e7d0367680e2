#pragma once

#include <string>

// Where the tests find the source tree and the build, as Windows paths.
namespace pelterwyn::testing {

// Under Wine, not Windows.
bool OnWine();

// Maps a Unix path to the Z: drive that Wine gives the Unix root.
std::string WinePath(const std::string& unixPath);

std::string SourceDir();  // e.g. Z:\work\main
std::string BinaryDir();  // e.g. Z:\work\main\build\mingw-x64
std::string ExePath();    // the built Pelterwyn.exe
// A file the build made for the tests, e.g. FixturePath("cdo\\CDO.DLL").
std::string FixturePath(const std::string& relative);

}  // namespace pelterwyn::testing
