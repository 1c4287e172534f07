#pragma once

#include "common/SharedLibrary.h"

#include <QString>

#include <libical/ical.h>

#include <optional>

// libical, opened at the first calendar export instead of linked: a start
// that exports nothing does not pay for loading it. Each function is typed
// from the headers, so a changed prototype fails to build.
namespace LibIcal {

#define GEARBOOK_LIBICAL_FUNCTIONS(X)                                                                                  \
    X(icalcomponent_new)                                                                                               \
    X(icalcomponent_free)                                                                                              \
    X(icalcomponent_add_component)                                                                                     \
    X(icalcomponent_add_property)                                                                                      \
    X(icalcomponent_as_ical_string_r)                                                                                  \
    X(icalmemory_free_buffer)                                                                                          \
    X(icaltimezone_get_utc_timezone)                                                                                   \
    X(icalproperty_new_version)                                                                                        \
    X(icalproperty_new_prodid)                                                                                         \
    X(icalproperty_new_calscale)                                                                                       \
    X(icalproperty_new_uid)                                                                                            \
    X(icalproperty_new_dtstamp)                                                                                        \
    X(icalproperty_new_dtstart)                                                                                        \
    X(icalproperty_new_dtend)                                                                                          \
    X(icalproperty_new_summary)                                                                                        \
    X(icalproperty_new_description)                                                                                    \
    X(icalproperty_new_status)                                                                                         \
    X(icalproperty_new_transp)                                                                                         \
    X(icalproperty_new_action)                                                                                         \
    X(icalproperty_new_trigger)

struct Functions {
    GEARBOOK_LIBICAL_FUNCTIONS(GEARBOOK_LIBRARY_MEMBER)
    // Each entry of the list ends in &&, so the last one needs a true to end on.
    // NOLINTNEXTLINE(readability-simplify-boolean-expr)
    bool resolve(SharedLibrary::Loader& loader) { return GEARBOOK_LIBICAL_FUNCTIONS(GEARBOOK_LIBRARY_RESOLVE) true; }
};

// libical, opened by load() at the first export (from any thread).
SharedLibrary::Library<Functions>& library();

inline std::optional<QString> load()
{
    return library().load();
}
// The functions; only after load() has succeeded.
inline const Functions& lib()
{
    return library().functions();
}

} // namespace LibIcal
