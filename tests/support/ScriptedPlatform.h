#pragma once

#include "ui/PlatformServices.h"

#include <QHash>
#include <QList>
#include <QQueue>

#include <functional>

// A registry that holds whatever a test puts in it.
class FakeRegistry final : public Registry {
public:
    struct Key {
        bool openable = true;
        QHash<QString, Value> values;
    };
    // keyName is matched case-insensitively, as the registry does.
    Key& key(quint32 root, const QString& keyName);
    void setText(quint32 root, const QString& keyName, const QString& valueName, const QByteArray& text);
    void setValue(quint32 root, const QString& keyName, const QString& valueName, quint32 type, const QByteArray& data);

    bool openKey(quint32 root, const QString& keyName, quint32 access, Handle* handle) override;
    bool queryValue(Handle handle, const QString& valueName, Value* value) override;
    void closeKey(Handle handle) override;

    int openHandles() const { return int(m_open.size()); }
    quint32 lastAccess = 0;

private:
    QHash<QString, Key> m_keys;
    QHash<Handle, QString> m_open;
    Handle m_next = 1;
};

// Records every dialog a window asks for and answers from queues, so no test
// ever opens a real modal dialog. Installs itself for its lifetime.
class ScriptedPlatform final : public PlatformServices {
public:
    enum class Kind { Message, Input, FileOpen, FileSave, Folder, Print, Start };
    struct Shown {
        Kind kind;
        QString text;  // message, prompt, file filter, program path
        QString title; // as passed: empty means the application title
        MsgButtons buttons = MsgButtons::Ok;
        MsgIcon icon = MsgIcon::None;
        QString initial;      // file and folder dialogs: initial file name, path or folder
        QStringList captions; // a message box with named buttons: their captions; a started program: its arguments
    };

    ScriptedPlatform();
    ~ScriptedPlatform() override;

    // Answers, taken in order. When a queue is empty: message boxes answer
    // Ok (or No for Yes/No), input boxes Cancel (empty text), file and folder dialogs Cancel.
    QQueue<MsgAnswer> messageAnswers;
    // A message box with named buttons answers with the index of the button;
    // when none is queued, the last (the safe choice).
    QQueue<int> choiceAnswers;
    QQueue<QString> inputAnswers;
    QQueue<std::optional<QString>> fileAnswers; // the open, save and folder dialogs alike
    // Called as each dialog is shown, before it is answered (to look at the windows then).
    std::function<void(const Shown&)> onShown;

    bool printSucceeds = true;
    QString printError = QStringLiteral("No printer is installed.");
    QList<QImage> printed;
    bool startSucceeds = true;
    QStringList startedPrograms;
    FakeRegistry fakeRegistry;

    QList<Shown> shown;
    // The texts of the message boxes shown, in order.
    QStringList messages() const;
    void clear();

    MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon) override;
    int messageBox(const QString& text, const QString& title, const QStringList& buttons, MsgIcon icon) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> openFileDialog(const QString& filter, const QString& initialFileName,
                                          const QString& title) override;
    std::optional<QString> saveFileDialog(const QString& filter, const QString& initialPath,
                                          const QString& title) override;
    std::optional<QString> chooseFolderDialog(const QString& initialFolder, const QString& title) override;
    bool printImage(const QImage& image, QString* error) override;
    bool startProgram(const QString& path, const QStringList& arguments) override;
    Registry& registry() override { return fakeRegistry; }

private:
    void record(const Shown& s);
};
