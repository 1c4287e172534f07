#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QString>

#include <mutex>
#include <optional>
#include <utility>

// A library opened by its SONAME at its first use instead of linked, so that a
// start that does not use it does not pay for loading it and the libraries it
// needs. Each user lists its functions once, typed from the library's own
// headers (a changed prototype fails to build):
//
//   #define MY_FUNCTIONS(X) X(foo_new) X(foo_free)
//   struct Functions {
//       MY_FUNCTIONS(GEARBOOK_LIBRARY_MEMBER)
//       bool resolve(SharedLibrary::Loader& loader) { return MY_FUNCTIONS(GEARBOOK_LIBRARY_RESOLVE) true; }
//   };
//   SharedLibrary::Library<Functions> foo(QStringLiteral("foo library"), "libfoo.so.1");
namespace SharedLibrary {

// NOLINTNEXTLINE(bugprone-macro-parentheses): the argument names the member; it cannot be parenthesized.
#define GEARBOOK_LIBRARY_MEMBER(name) decltype(&::name) name = nullptr;
#define GEARBOOK_LIBRARY_RESOLVE(name) loader.resolve(#name, name)&&

// The part that does not depend on the functions: the file, opening it, and
// why that failed.
class Loader {
public:
    // `kind` names the library for the user ("archive library").
    Loader(QString kind, QByteArray fileName);

    // False when the library cannot be opened; problem() says why.
    bool open();
    // Sets `function` to the library's function of that name; false when there
    // is none, and problem() says so.
    template <typename Function> bool resolve(const char* name, Function& function)
    {
        function = reinterpret_cast<Function>(find(name));
        return function != nullptr;
    }
    // "The archive library "libarchive.so.13" could not be loaded: <the reason>"
    QString problem() const;

    void setFileName(const QByteArray& fileName) { m_fileName = fileName; }

private:
    QFunctionPointer find(const char* name);

    QString m_kind;
    QByteArray m_fileName;
    QLibrary m_library;
    QString m_reason;
};

template <typename Functions> class Library {
public:
    Library(QString kind, QByteArray fileName) : m_loader(std::move(kind), std::move(fileName)) {}

    // Opens the library and finds its functions at the first call (from any
    // thread); later calls return what the first found. Nothing when all is
    // there, else the reason, naming the library, in words for the user. A
    // missing function fails the load as a whole: the callers need every one.
    std::optional<QString> load()
    {
        std::call_once(m_once, [this] {
            Functions found;
            if (!m_loader.open() || !found.resolve(m_loader))
                m_problem = m_loader.problem();
            else
                m_functions = found; // the library stays open for the rest of the run
        });
        return m_problem;
    }

    // The functions; only after load() has succeeded.
    const Functions& functions() const { return m_functions; }

    // For tests: the file the first load() opens instead of the one the build found.
    void setFileName(const QByteArray& fileName) { m_loader.setFileName(fileName); }

private:
    Loader m_loader;
    std::once_flag m_once;
    Functions m_functions;
    std::optional<QString> m_problem;
};

} // namespace SharedLibrary
