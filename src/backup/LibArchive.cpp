#include "backup/LibArchive.h"

#ifndef GEARBOOK_LIBARCHIVE_SONAME
#error "GEARBOOK_LIBARCHIVE_SONAME (the library's SONAME) comes from the build"
#endif

SharedLibrary::Library<LibArchive::Functions>& LibArchive::library()
{
    static SharedLibrary::Library<Functions> l(QStringLiteral("archive library"), GEARBOOK_LIBARCHIVE_SONAME);
    return l;
}
