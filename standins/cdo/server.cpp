// The class of cdo.dll: MAPI.Session.
#include "com/server.h"
#include "objects.h"

namespace {

const standin::com::ClassInfo kClasses[] = {
    {standin::cdo::kClsidSession, L"MAPI.Session", L"MAPI Session (stand-in)",
     &standin::cdo::Session::Create},
};

}  // namespace

const standin::com::ServerClasses standin::com::kServerClasses{kClasses, std::size(kClasses)};
