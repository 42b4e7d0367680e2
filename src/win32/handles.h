#pragma once

#include "owners/unique_any.h"

// The handle owners the Win32 layer uses, by their short names.
namespace pelterwyn::win32 {

using owners::GetWindowDc;
using owners::UniqueAny;
using owners::UniqueFile;
using owners::UniqueLibrary;
using owners::UniqueRegKey;
using owners::UniqueWindow;
using owners::UniqueWindowDc;

}  // namespace pelterwyn::win32
