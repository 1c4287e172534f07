#include "common/SharedLibrary.h"

#include <QFile>

#include <utility>

namespace SharedLibrary {

Loader::Loader(QString kind, QByteArray fileName) : m_kind(std::move(kind)), m_fileName(std::move(fileName)) {}

bool Loader::open()
{
    m_library.setFileName(QFile::decodeName(m_fileName));
    // Every symbol bound now and kept to this library. It is never unloaded
    // once its functions are found: they are used for the rest of the run.
    m_library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (m_library.load())
        return true;
    // Qt wraps the system loader's reason ("Cannot load library <file>: (<reason>)"); the user gets the reason once.
    m_reason = m_library.errorString();
    const QString wrapper = QStringLiteral("Cannot load library %1: (").arg(QFile::decodeName(m_fileName));
    if (m_reason.startsWith(wrapper) && m_reason.endsWith(QLatin1Char(')')))
        m_reason = m_reason.mid(wrapper.size(), m_reason.size() - wrapper.size() - 1);
    return false;
}

QFunctionPointer Loader::find(const char* name)
{
    const QFunctionPointer function = m_library.resolve(name);
    if (!function) {
        // In the system loader's words, which Qt does not pass on.
        m_reason = QStringLiteral("%1: undefined symbol: %2").arg(QFile::decodeName(m_fileName), QLatin1String(name));
        m_library.unload();
    }
    return function;
}

QString Loader::problem() const
{
    return QStringLiteral("The %1 \"%2\" could not be loaded: %3")
        .arg(m_kind, QString::fromLocal8Bit(m_fileName), m_reason.isEmpty() ? QStringLiteral("unknown") : m_reason);
}

} // namespace SharedLibrary
