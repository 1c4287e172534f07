#pragma once

#include <QObject>
#include <QPluginLoader>
#include <QString>

// Parts of the program kept in modules of their own beside it (the help
// browser, printing), so that a start does not load the libraries they need:
// each is loaded at its first use and stays loaded.
namespace Module {

// The folder modules are loaded from: the program's folder unless set.
QString folder();
// For tests, which run from other folders.
void setFolder(const QString& folder);

// The module file's object, loaded at the first call; null, with the reason
// for the user in `error`, when it is not a regular file or does not load.
QObject* loadFile(const QString& path, QString* error);
// Unloads a module file whose object turned out not to be the one wanted.
void unloadFile(const QString& path);

// The object offering `Interface` from the module at `path`; a module built
// into the program itself (as in tests) comes first. `what` names the module
// for the user. Null, with the reason in `error`, when none can be had.
template <class Interface> Interface* load(const QString& path, const QString& what, QString* error)
{
    for (QObject* instance : QPluginLoader::staticInstances())
        if (auto* found = qobject_cast<Interface*>(instance))
            return found;
    QObject* instance = loadFile(path, error);
    if (!instance)
        return nullptr;
    if (auto* found = qobject_cast<Interface*>(instance))
        return found;
    *error = QStringLiteral("It is not %1.").arg(what);
    unloadFile(path);
    return nullptr;
}

} // namespace Module
