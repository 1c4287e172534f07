#include "help/frmAutoAbout.h"

#include "common/Win1252.h"
#include "ui/Icon.h"
#include "ui/PlatformServices.h"
#include "ui/WindowLook.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

namespace {

// The registry's query buffer: a larger value does not fit and cannot be read.
constexpr qsizetype kValueBufferSize = 1024;

} // namespace

const QStringList frmAutoAbout::SystemInfoPrograms = {
    QStringLiteral("hardinfo"),
    QStringLiteral("hardinfo2"),
    QStringLiteral("kinfocenter"),
    QStringLiteral("gnome-system-monitor"),
};

void frmAutoAbout::showAbout()
{
    const bool made = !exists();
    frmAutoAbout* window = instance();
    if (made)
        window->centreOnScreen();
    window->show();
    window->raise();
    window->activateWindow();
}

// A tool window: a fixed dialog frame with no minimize or maximize button and
// no button of its own in the task bar, shown without blocking other windows.
frmAutoAbout::frmAutoAbout(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setupUi(this);
    setModal(false);
    setFixedSize(size());
    setWindowIcon(gearbookIcon());

    // Drawn for the screen's pixel ratio, so it stays sharp on a scaled desktop.
    const QPixmap icon = gearbookIcon().pixmap(QSize(48, 48), devicePixelRatioF());
    picIcon->setPixmap(icon);
    picIcon->resize(icon.deviceIndependentSize().toSize()); // sized to its picture

    connect(cmdOK, &QPushButton::clicked, this, &frmAutoAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAutoAbout::cmdSysInfo_Click);
    // OK, Esc and the frame's close button all end here: the window is discarded,
    // and the next showing creates it anew.
    connect(this, &QDialog::finished, this, [this] {
        forgetInstance();
        deleteLater();
    });
    WindowLook::apply(this);
}

frmAutoAbout::~frmAutoAbout() = default;

void frmAutoAbout::centreOnScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect r = rect();
    r.moveCenter(screen->availableGeometry().center());
    move(r.topLeft());
}

void frmAutoAbout::cmdOK_Click()
{
    accept();
}

void frmAutoAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

bool frmAutoAbout::GetKeyValue(quint32 KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal)
{
    Registry& registry = platform().registry();
    Registry::Handle hKey = 0;
    if (!registry.openKey(KeyRoot, KeyName, Registry::KEY_ALL_ACCESS, &hKey)) {
        KeyVal.clear();
        return false;
    }

    Registry::Value value;
    if (!registry.queryValue(hKey, SubKeyRef, &value) || value.data.size() > kValueBufferSize) {
        registry.closeKey(hKey);
        KeyVal.clear();
        return false;
    }

    // The buffer starts as zeros; the query fills its first `size` bytes.
    QByteArray buffer(kValueBufferSize, '\0');
    const qsizetype size = value.data.size();
    std::copy(value.data.cbegin(), value.data.cend(), buffer.begin());

    // A value that ends in its terminating zero keeps everything before it.
    // An empty value keeps nothing (there is no character at position 0).
    qsizetype kept = size;
    if (size > 0 && buffer.at(size - 1) == '\0')
        kept = size - 1;
    const QByteArray tmpVal = buffer.left(kept);

    switch (value.type) {
    case Registry::REG_SZ:
        KeyVal = Win1252::decode(tmpVal);
        break;
    case Registry::REG_DWORD: {
        // Each byte's digits without leading zeros, last byte first, as "&h" text. The
        // digits do not always say which number it was (0x10 and 0x0100 both give "10"),
        // so the text is kept as built rather than turned into a decimal number.
        QString digits;
        for (qsizetype i = tmpVal.size() - 1; i >= 0; --i)
            digits += QString::number(static_cast<unsigned char>(tmpVal.at(i)), 16).toUpper();
        KeyVal = QStringLiteral("&h") + digits;
        break;
    }
    default:
        break; // KeyVal keeps what it held
    }

    registry.closeKey(hKey);
    return true;
}

QString frmAutoAbout::findSystemInfoProgram()
{
    for (const QString& name : SystemInfoPrograms) {
        QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

void frmAutoAbout::StartSysInfo()
{
    QString SysInfoPath;
    bool found = GetKeyValue(Registry::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                             QStringLiteral("PATH"), SysInfoPath);
    if (!found &&
        GetKeyValue(Registry::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                    QStringLiteral("MSINFO"), SysInfoPath)) {
        const QString tool = SysInfoPath + QStringLiteral("/MSINFO32.EXE");
        if (QFileInfo(tool).isFile()) {
            SysInfoPath = tool;
            found = true;
        }
    }
    if (found && !SysInfoPath.isEmpty() && platform().startProgram(SysInfoPath))
        return;

    // This system keeps no such registry: offer its own system-information program.
    const QString fallback = findSystemInfoProgram();
    if (!fallback.isEmpty() && platform().startProgram(fallback))
        return;

    platform().messageBox(QStringLiteral("System Information Is Unavailable At This Time"));
}
