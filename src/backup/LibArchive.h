#pragma once

#include "common/SharedLibrary.h"

#include <QByteArray>
#include <QString>

#include <archive.h>
#include <archive_entry.h>

#include <optional>

// libarchive, opened at the first archive operation instead of linked: a start
// that makes no backup does not pay for loading it and the libraries it needs.
// Each function is typed from the headers, so a changed prototype fails to build.
namespace LibArchive {

// Every libarchive function the archives use.
#define GEARBOOK_LIBARCHIVE_FUNCTIONS(X)                                                                               \
    X(archive_entry_clear)                                                                                             \
    X(archive_entry_filetype)                                                                                          \
    X(archive_entry_free)                                                                                              \
    X(archive_entry_hardlink)                                                                                          \
    X(archive_entry_mtime)                                                                                             \
    X(archive_entry_mtime_nsec)                                                                                        \
    X(archive_entry_new)                                                                                               \
    X(archive_entry_pathname)                                                                                          \
    X(archive_entry_set_filetype)                                                                                      \
    X(archive_entry_set_mtime)                                                                                         \
    X(archive_entry_set_pathname)                                                                                      \
    X(archive_entry_set_perm)                                                                                          \
    X(archive_entry_set_size)                                                                                          \
    X(archive_entry_size)                                                                                              \
    X(archive_entry_size_is_set)                                                                                       \
    X(archive_entry_symlink)                                                                                           \
    X(archive_error_string)                                                                                            \
    X(archive_filter_code)                                                                                             \
    X(archive_free)                                                                                                    \
    X(archive_read_data)                                                                                               \
    X(archive_read_data_block)                                                                                         \
    X(archive_read_new)                                                                                                \
    X(archive_read_next_header)                                                                                        \
    X(archive_read_open)                                                                                               \
    X(archive_read_open_fd)                                                                                            \
    X(archive_read_open_memory)                                                                                        \
    X(archive_read_support_filter_gzip)                                                                                \
    X(archive_read_support_format_raw)                                                                                 \
    X(archive_read_support_format_tar)                                                                                 \
    X(archive_read_support_format_zip)                                                                                 \
    X(archive_write_add_filter_gzip)                                                                                   \
    X(archive_write_close)                                                                                             \
    X(archive_write_data)                                                                                              \
    X(archive_write_header)                                                                                            \
    X(archive_write_new)                                                                                               \
    X(archive_write_open)                                                                                              \
    X(archive_write_set_bytes_in_last_block)                                                                           \
    X(archive_write_set_format_pax_restricted)                                                                         \
    X(archive_write_set_options)

struct Functions {
    GEARBOOK_LIBARCHIVE_FUNCTIONS(GEARBOOK_LIBRARY_MEMBER)
    // Each entry of the list ends in &&, so the last one needs a true to end on.
    // NOLINTNEXTLINE(readability-simplify-boolean-expr)
    bool resolve(SharedLibrary::Loader& loader) { return GEARBOOK_LIBARCHIVE_FUNCTIONS(GEARBOOK_LIBRARY_RESOLVE) true; }
};

// libarchive, opened by load() at the first archive operation (from any thread).
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
// For tests: the file the first load() opens instead of the one the build found.
inline void setLibraryName(const QByteArray& fileName)
{
    library().setFileName(fileName);
}

} // namespace LibArchive
