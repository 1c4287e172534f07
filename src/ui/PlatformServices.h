#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

class QFileDialog;

#include <memory>
#include <optional>

// Everything a window asks of the desktop that a test must be able to answer:
// message boxes, input boxes, the file and folder dialogs, printing, starting a
// program and the registry. Windows reach it only through platform(); tests
// install a scripted double (tests/support) so no real dialog ever opens.

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Information, Warning, Critical };
enum class MsgAnswer { Ok, Yes, No };

// A registry as the about window reads it. The Linux backend has no keys.
class Registry {
public:
    static constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002U;
    static constexpr quint32 KEY_ALL_ACCESS = 0x2003FU;
    static constexpr quint32 REG_SZ = 1;
    static constexpr quint32 REG_DWORD = 4;

    struct Value {
        quint32 type = 0;
        QByteArray data; // the value's bytes as the ANSI query returns them
    };
    using Handle = quintptr;

    virtual ~Registry() = default;
    virtual bool openKey(quint32 root, const QString& keyName, quint32 access, Handle* handle) = 0;
    virtual bool queryValue(Handle handle, const QString& valueName, Value* value) = 0;
    virtual void closeKey(Handle handle) = 0;
};

class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    // An empty title shows modGlobalVars::ApplicationTitle.
    virtual MsgAnswer messageBox(const QString& text, const QString& title = QString(),
                                 MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None) = 0;

    // A message box with buttons of the given captions, left to right; returns
    // the index of the one chosen. The last is the safe choice: the default
    // button, and the answer to Escape or closing the box.
    virtual int messageBox(const QString& text, const QString& title, const QStringList& buttons,
                           MsgIcon icon = MsgIcon::None) = 0;

    // Returns the typed text; Cancel gives the empty text, as the original input box does.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& defaultText = QString()) = 0;

    // filter is in the pipe form "Name (*.a;*.b)|*.a;*.b|All Files (*.*)|*.*"; the
    // first choice is preselected. Returns the chosen full path, or nothing on Cancel.
    virtual std::optional<QString> openFileDialog(const QString& filter, const QString& initialFileName = QString(),
                                                  const QString& title = QString()) = 0;

    // The file-save dialog, in the same filter form; it asks before replacing a
    // file. initialPath proposes a folder and a name. The chosen path, or nothing on Cancel.
    virtual std::optional<QString> saveFileDialog(const QString& filter, const QString& initialPath,
                                                  const QString& title) = 0;

    // Chooses an existing folder, starting in initialFolder. Nothing on Cancel.
    virtual std::optional<QString> chooseFolderDialog(const QString& initialFolder, const QString& title) = 0;

    // Prints one page image on the default printer, without a dialog.
    // On failure returns false and a reason for the user: noPrinterReason() when there is no printer.
    virtual bool printImage(const QImage& image, QString* error) = 0;

    // Starts a program by its path, detached, without a shell.
    virtual bool startProgram(const QString& path, const QStringList& arguments = {}) = 0;

    virtual Registry& registry() = 0;
};

// What printImage says when no printer is installed.
QString noPrinterReason();

// The services in use; the Qt implementation unless a test installed another.
PlatformServices& platform();
// Installs services (ownership stays with the caller); nullptr returns to the Qt implementation.
void setPlatform(PlatformServices* services);

// The Qt implementation, exposed for the few places that need a real one.
std::unique_ptr<PlatformServices> makeQtPlatformServices();

// The file-open dialog of the Qt implementation, not yet shown. The first
// filter is chosen. On Linux a "*.exe" filter keeps its caption and shows the
// files the user may execute, and folders.
std::unique_ptr<QFileDialog> makeOpenFileDialog(const QString& filter, const QString& initialFileName = QString(),
                                                const QString& title = QString());

// Converts the pipe form of a file filter to Qt's ";;" form.
QString qtFilterFromPipeFilter(const QString& filter);
