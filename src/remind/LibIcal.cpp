#include "LibIcal.h"

#include <dlfcn.h>
#include <mutex>

#ifndef GEARBOOK_LIBICAL_SONAME
#error "GEARBOOK_LIBICAL_SONAME (the library's SONAME) comes from the build"
#endif

namespace LibIcal {

namespace {

struct Loaded {
    QByteArray fileName = GEARBOOK_LIBICAL_SONAME;
    std::once_flag once;
    Functions functions;
    std::optional<QString> problem;
};

Loaded& loaded()
{
    static Loaded l;
    return l;
}

std::optional<QString> open(const QByteArray& fileName, Functions* functions)
{
    const auto failure = [&fileName] {
        const char* reason = ::dlerror();
        return QStringLiteral("The calendar library \"%1\" could not be loaded: %2")
            .arg(QString::fromLocal8Bit(fileName), reason ? QString::fromLocal8Bit(reason) : QStringLiteral("unknown"));
    };
    ::dlerror();
    void* handle = ::dlopen(fileName.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return failure();
    Functions found;
    // A missing function fails the load as a whole: the calendar needs every one.
#define GEARBOOK_LIBICAL_RESOLVE(name)                                                                                 \
    found.name = reinterpret_cast<decltype(found.name)>(::dlsym(handle, #name));                                       \
    if (!found.name) {                                                                                                 \
        auto problem = failure();                                                                                      \
        ::dlclose(handle);                                                                                             \
        return problem;                                                                                                \
    }
    GEARBOOK_LIBICAL_FUNCTIONS(GEARBOOK_LIBICAL_RESOLVE)
#undef GEARBOOK_LIBICAL_RESOLVE
    *functions = found; // the handle stays open for the rest of the run
    return std::nullopt;
}

} // namespace

std::optional<QString> load()
{
    Loaded& l = loaded();
    std::call_once(l.once, [&l] { l.problem = open(l.fileName, &l.functions); });
    return l.problem;
}

const Functions& lib()
{
    Q_ASSERT(loaded().functions.icalcomponent_free);
    return loaded().functions;
}

void setLibraryName(const QByteArray& fileName)
{
    loaded().fileName = fileName;
}

} // namespace LibIcal
