// The class of mapitable.dll: Redemption.MAPITable.
#include "com/server.h"
#include "table.h"

namespace {

const standin::com::ClassInfo kClasses[] = {
    {standin::table::kClsidMapiTable, L"Redemption.MAPITable", L"MAPITable (stand-in)",
     &standin::table::MapiTable::Create},
};

}  // namespace

const standin::com::ServerClasses standin::com::kServerClasses{kClasses, std::size(kClasses)};
