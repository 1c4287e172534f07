#include "ScriptedPlatform.h"

FakeRegistry::Key& FakeRegistry::key(quint32 root, const QString& keyName)
{
    return m_keys[QString::number(root) + QLatin1Char('\\') + keyName.toLower()];
}

void FakeRegistry::setText(quint32 root, const QString& keyName, const QString& valueName, const QByteArray& text)
{
    // Text values are stored with their terminating zero, as the registry keeps them.
    setValue(root, keyName, valueName, REG_SZ, text + QByteArray(1, '\0'));
}

void FakeRegistry::setValue(quint32 root, const QString& keyName, const QString& valueName, quint32 type,
                            const QByteArray& data)
{
    key(root, keyName).values.insert(valueName.toLower(), Value{type, data});
}

bool FakeRegistry::openKey(quint32 root, const QString& keyName, quint32 access, Handle* handle)
{
    lastAccess = access;
    const QString k = QString::number(root) + QLatin1Char('\\') + keyName.toLower();
    const auto it = m_keys.constFind(k);
    if (it == m_keys.constEnd() || !it->openable)
        return false;
    *handle = m_next++;
    m_open.insert(*handle, k);
    return true;
}

bool FakeRegistry::queryValue(Handle handle, const QString& valueName, Value* value)
{
    const auto open = m_open.constFind(handle);
    if (open == m_open.constEnd())
        return false;
    const Key& k = m_keys[*open];
    const auto it = k.values.constFind(valueName.toLower());
    if (it == k.values.constEnd())
        return false;
    *value = *it;
    return true;
}

void FakeRegistry::closeKey(Handle handle)
{
    m_open.remove(handle);
}

ScriptedPlatform::ScriptedPlatform()
{
    setPlatform(this);
}

ScriptedPlatform::~ScriptedPlatform()
{
    setPlatform(nullptr);
}

QStringList ScriptedPlatform::messages() const
{
    QStringList out;
    for (const Shown& s : shown)
        if (s.kind == Kind::Message)
            out << s.text;
    return out;
}

void ScriptedPlatform::clear()
{
    shown.clear();
    printed.clear();
    startedPrograms.clear();
}

void ScriptedPlatform::record(const Shown& s)
{
    shown.append(s);
    if (onShown)
        onShown(s);
}

MsgAnswer ScriptedPlatform::messageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon)
{
    record({Kind::Message, text, title, buttons, icon, {}, {}});
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
}

int ScriptedPlatform::messageBox(const QString& text, const QString& title, const QStringList& buttons, MsgIcon icon)
{
    record({Kind::Message, text, title, MsgButtons::Ok, icon, {}, buttons});
    if (!choiceAnswers.isEmpty())
        return choiceAnswers.dequeue();
    return int(buttons.size()) - 1;
}

QString ScriptedPlatform::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    record({Kind::Input, prompt, title, MsgButtons::Ok, MsgIcon::None, defaultText, {}});
    return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
}

std::optional<QString> ScriptedPlatform::openFileDialog(const QString& filter, const QString& initialFileName,
                                                        const QString& title)
{
    record({Kind::FileOpen, filter, title, MsgButtons::Ok, MsgIcon::None, initialFileName, {}});
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
}

std::optional<QString> ScriptedPlatform::saveFileDialog(const QString& filter, const QString& initialPath,
                                                        const QString& title)
{
    record({Kind::FileSave, filter, title, MsgButtons::Ok, MsgIcon::None, initialPath, {}});
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
}

std::optional<QString> ScriptedPlatform::chooseFolderDialog(const QString& initialFolder, const QString& title)
{
    record({Kind::Folder, {}, title, MsgButtons::Ok, MsgIcon::None, initialFolder, {}});
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
}

bool ScriptedPlatform::printImage(const QImage& image, QString* error)
{
    record({Kind::Print, {}, {}, MsgButtons::Ok, MsgIcon::None, {}, {}});
    if (!printSucceeds) {
        if (error)
            *error = printError;
        return false;
    }
    printed.append(image);
    return true;
}

bool ScriptedPlatform::startProgram(const QString& path, const QStringList& arguments)
{
    record({Kind::Start, path, {}, MsgButtons::Ok, MsgIcon::None, {}, arguments});
    if (startSucceeds)
        startedPrograms << path;
    return startSucceeds;
}
