#include "remind/LibIcal.h"

#ifndef GEARBOOK_LIBICAL_SONAME
#error "GEARBOOK_LIBICAL_SONAME (the library's SONAME) comes from the build"
#endif

SharedLibrary::Library<LibIcal::Functions>& LibIcal::library()
{
    static SharedLibrary::Library<Functions> l(QStringLiteral("calendar library"), GEARBOOK_LIBICAL_SONAME);
    return l;
}
