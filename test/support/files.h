#pragma once

#include <string>

// Files as the tests see them, by their Windows paths.
namespace pelterwyn::testing {

// A text or path in the process's code page, as the "A" functions take it, in UTF-16.
std::wstring Widen(const std::string& text);

// All the bytes; "" when the file cannot be read.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// The file version ("6.5.8353.0") of the file the loader's search finds for
// the name; "" when it has none.
std::string FileVersion(const std::string& file);
// Takes every resource out of an executable or DLL, its version block included.
bool StripResources(const std::string& file);

// A fresh folder in the temp directory, removed with all it holds when it goes.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "pelterwyn-test");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Empty when no folder could be made.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace pelterwyn::testing
