#include "TestEnvironment.h"

#include "common/DataFolder.h"
#include "common/modGlobalVars.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <csignal>
#include <sys/resource.h>

TestEnvironment::TestEnvironment()
    : m_oldData(qgetenv("XDG_DATA_HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME")), m_oldHome(qgetenv("HOME")),
      m_oldRuntime(qgetenv("XDG_RUNTIME_DIR")), m_oldCwd(QDir::currentPath())
{
    QDir root(m_root.path());
    for (const char* d : {"data", "config", "home", "work", "runtime"})
        root.mkdir(QString::fromLatin1(d));
    QFile::setPermissions(m_root.path() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome()));
    qputenv("HOME", QFile::encodeName(home()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_root.path() + QStringLiteral("/runtime")));
    QDir::setCurrent(workDir());
    modGlobalVars::StartDir = workDir();
}

TestEnvironment::~TestEnvironment()
{
    QDir::setCurrent(m_oldCwd);
    auto restore = [](const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    restore("XDG_DATA_HOME", m_oldData);
    restore("XDG_CONFIG_HOME", m_oldConfig);
    restore("HOME", m_oldHome);
    restore("XDG_RUNTIME_DIR", m_oldRuntime);
}

QString TestEnvironment::dataFolder() const
{
    DataFolder::CreateMakerFolder();
    return DataFolder::path();
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the process
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_oldSoft = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_oldSoft);
    setrlimit(RLIMIT_FSIZE, &limit);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}
