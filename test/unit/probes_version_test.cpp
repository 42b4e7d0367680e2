// File versions, over the version fakes.
#include <gtest/gtest.h>

#include "fake_versions.h"
#include "probes/version.h"

namespace pelterwyn {
namespace {

using fakes::FakeVersions;
using fakes::MakeVersion;

TEST(FileVersion, FormsFourUnsignedNumbersFromTheFileVersion) {
  FakeVersions versions;
  versions.Add("cdo.dll", {0x00060005, 0x1DD60001});
  versions.Add("zero.dll", MakeVersion(0, 0, 0, 0));
  versions.Add("max.dll", {0xFFFFFFFF, 0xFFFFFFFF});
  versions.Add("mixed.dll", {0xFFFF0001, 0x0002FFFF});
  EXPECT_EQ(GetFileVersion(versions, "cdo.dll"), "6.5.7638.1");
  EXPECT_EQ(GetFileVersion(versions, "zero.dll"), "0.0.0.0");
  EXPECT_EQ(GetFileVersion(versions, "max.dll"), "65535.65535.65535.65535");
  EXPECT_EQ(GetFileVersion(versions, "mixed.dll"), "65535.1.2.65535");
}

TEST(FileVersion, NoVersionResourceGivesEmpty) {
  FakeVersions versions;
  EXPECT_EQ(GetFileVersion(versions, "C:\\notes.txt"), "");
  EXPECT_EQ(GetFileVersion(versions, ""), "");
}

}  // namespace
}  // namespace pelterwyn
