// The class of mapitable.dll: Redemption.MAPITable.
#include "com/server.h"
#include "table.h"

const standin::com::ClassInfo standin::com::kServerClass{standin::table::kClsidMapiTable,
                                                         &standin::table::MapiTable::Create};
