#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The platform services the portable core needs. The Win32 layer implements
// them over the real APIs; unit tests use fakes.
namespace pelterwyn {

// Predefined root keys, by their handle values.
inline constexpr std::uint32_t kHkeyClassesRoot = 0x80000000u;
inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;

// Registry value types the reader distinguishes.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorMoreData = 234;

// Registry access at the level of RegOpenKeyA / RegQueryValueExA / RegCloseKey,
// so that every conversion rule above it is portable.
class RegistryApi {
 public:
  using Key = std::uintptr_t;  // 0: no open key

  virtual ~RegistryApi() = default;
  // Sets *key on success. Returns the platform status (0 on success).
  virtual long OpenKey(std::uint32_t root, const std::string& subKey, Key* key) = 0;
  // The same in the view 32-bit programs see, whatever this build's bitness.
  virtual long OpenKey32(std::uint32_t root, const std::string& subKey, Key* key) = 0;
  // With data == nullptr only the type and the size needed are returned.
  // *size is in/out, in bytes; on success it holds the bytes written.
  virtual long QueryValue(Key key, const std::string& valueName, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) = 0;
  virtual void CloseKey(Key key) = 0;
};

// Owns one key opened through a RegistryApi; closes it when it goes, whether
// or not the open succeeded (closing 0 is harmless).
class RegistryKey {
 public:
  explicit RegistryKey(RegistryApi& registry, RegistryApi::Key key = 0)
      : registry_(registry), key_(key) {}
  ~RegistryKey() { registry_.CloseKey(key_); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  RegistryApi::Key get() const { return key_; }
  RegistryApi::Key* out() { return &key_; }

 private:
  RegistryApi& registry_;
  RegistryApi::Key key_;
};

// The two version words of a file's fixed file information.
struct FixedFileVersion {
  std::uint32_t fileVersionMS = 0;
  std::uint32_t fileVersionLS = 0;
};

class VersionApi {
 public:
  virtual ~VersionApi() = default;
  // nullopt when the file has no version resource or its root block cannot be read.
  virtual std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& fileName) = 0;
};

class LibraryApi {
 public:
  using Module = std::uintptr_t;  // 0: not loaded

  virtual ~LibraryApi() = default;
  virtual Module Load(const std::string& name) = 0;
  virtual void Free(Module module) = 0;
};

// Owns one module loaded through a LibraryApi; frees it when it goes, unless
// the load failed.
class LoadedLibrary {
 public:
  LoadedLibrary(LibraryApi& libraries, LibraryApi::Module module)
      : libraries_(libraries), module_(module) {}
  ~LoadedLibrary() {
    if (module_ != 0) libraries_.Free(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

 private:
  LibraryApi& libraries_;
  LibraryApi::Module module_;
};

// The platform's Automation conversions, in the user's locale unless a name
// says otherwise.
class LocaleApi {
 public:
  virtual ~LocaleApi() = default;
  // The current local date and time in the locale's general date form.
  virtual std::string NowAsGeneralDate() = 0;
  // nullopt when the text is not a number or is out of range.
  virtual std::optional<std::int16_t> TextToInt16(const std::string& text) = 0;
  // With "." as the decimal separator in every locale: for text the system
  // forms, such as a file version, not text the user types.
  virtual std::optional<float> InvariantTextToSingle(const std::string& text) = 0;
  // As Automation reads text that is compared with a number.
  virtual std::optional<double> TextToDouble(const std::string& text) = 0;
  // Shortest decimal form of a single-precision value, as the user's locale
  // writes numbers ("8.5", "10"; "8,5" in German).
  virtual std::string SingleToText(float value) = 0;
};

class FileApi {
 public:
  virtual ~FileApi() = default;
  // The file of that name in the running executable's folder, as the system
  // names it: in UTF-16, so that a folder named outside the code page reaches
  // a wide API intact. The core hands it on and never reads it.
  virtual std::wstring PathBesideExe(const std::string& fileName) = 0;
  // Opens the file of that name beside the running executable for appending
  // (creating it if absent), writes, closes; the folder is looked up afresh on
  // every call, at full width (a folder name outside the code page, a long
  // path). False on any failure, and when the executable's folder cannot be
  // found: the bytes then go nowhere else.
  virtual bool AppendBesideExe(const std::string& fileName, const std::string& bytes) = 0;
};

}  // namespace pelterwyn
