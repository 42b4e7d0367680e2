// The class of cdo.dll: MAPI.Session.
#include "com/server.h"
#include "objects.h"

const standin::com::ClassInfo standin::com::kServerClass{standin::cdo::kClsidSession,
                                                         &standin::cdo::Session::Create};
