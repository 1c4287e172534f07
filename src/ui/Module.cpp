#include "ui/Module.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString s_folder;

} // namespace

QString Module::folder()
{
    return s_folder.isEmpty() ? QCoreApplication::applicationDirPath() : s_folder;
}

void Module::setFolder(const QString& folder)
{
    s_folder = folder;
}

QObject* Module::loadFile(const QString& path, QString* error)
{
    // Only a regular file is opened: reading a FIFO would wait for a writer forever.
    const QFileInfo module(path);
    if (!module.isFile()) {
        *error = module.exists() ? QStringLiteral("It is not a file.") : QStringLiteral("It does not exist.");
        return nullptr;
    }
    QPluginLoader loader(module.filePath());
    QObject* instance = loader.instance();
    if (!instance) {
        *error = loader.errorString();
        loader.unload();
    }
    return instance;
}

void Module::unloadFile(const QString& path)
{
    QPluginLoader(path).unload();
}
