#pragma once

#include <QByteArray>
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
// NOLINTNEXTLINE(bugprone-macro-parentheses): the argument names the member; it cannot be parenthesized.
#define GEARBOOK_LIBICAL_MEMBER(name) decltype(&::name) name = nullptr;
    GEARBOOK_LIBICAL_FUNCTIONS(GEARBOOK_LIBICAL_MEMBER)
#undef GEARBOOK_LIBICAL_MEMBER
};

// Opens the library at the first call (from any thread); later calls return
// what the first found. Nothing when all is there, else the reason, naming the library.
std::optional<QString> load();

// The functions; only after load() has succeeded.
const Functions& lib();

// For tests: the file the first load() opens instead of the one the build found.
void setLibraryName(const QByteArray& fileName);

} // namespace LibIcal
