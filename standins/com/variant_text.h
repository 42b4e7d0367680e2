#pragma once

#include <windows.h>

#include <oleauto.h>

#include "store/journal_line.h"

// How the journal shows a VARIANT: its type, and its value as text, e.g.
// "VT_BSTR|VT_BYREF:pelttest", "VT_I4:5", "VT_BOOL:true", "VT_DISPATCH:Messages#2",
// "VT_ARRAY|VT_VARIANT:[VT_I4:1,VT_I4:2]".
namespace standin::com {

journal::Value JournalValue(const VARIANT& value);

}  // namespace standin::com
