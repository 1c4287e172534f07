#include "linksmith/frmLinksmith.h"

#include "common/DataFolder.h"
#include "linksmith/ShellLink.h"
#include "ui/LengthLimits.h"
#include "ui/PlatformServices.h"
#include "ui/ProgramEnd.h"
#include "ui/WindowLook.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString Title = QStringLiteral("Linksmith");
const QString DefaultExeName = QStringLiteral("Gearbook");
#ifdef GEARBOOK_PACKAGED_COMMAND
const QString PackagedCommand = QStringLiteral(GEARBOOK_PACKAGED_COMMAND);
#else
const QString PackagedCommand;
#endif

void setPointSize(QWidget* widget, qreal points)
{
    QFont font = widget->font();
    font.setPointSizeF(points);
    widget->setFont(font);
}

} // namespace

frmLinksmith::frmLinksmith(QWidget* parent) : QWidget(parent)
{
    setupUi(this);
    liftLengthLimits(this);
    // A form file keeps whole points only.
    setPointSize(lblTitle, 15.75);
    setPointSize(Label2, 8.25);
    setPointSize(lblCreateTitle, 11.25);
    setFixedSize(size());

    txtPath->setText(defaultTarget());

    connect(txtPath, &QLineEdit::textChanged, this, [this] { txtPath_Change(); });
    connect(cmdBrowse, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });

    Form_Load();
    WindowLook::apply(this);
}

frmLinksmith::~frmLinksmith() = default;

QString frmLinksmith::defaultTarget()
{
    return proposedTarget(QCoreApplication::applicationDirPath(), PackagedCommand);
}

QString frmLinksmith::proposedTarget(const QString& ownFolder, const QString& packagedCommand)
{
    const QFileInfo beside(ownFolder + QLatin1Char('/') + DefaultExeName);
    if (!ownFolder.isEmpty() && beside.isFile() && beside.isExecutable())
        return packagedCommand.isEmpty() ? beside.absoluteFilePath() : packagedCommand;
    return DataFolder::installFolder() + DefaultExeName;
}

void frmLinksmith::Form_Load()
{
    ExeName = DefaultExeName;
    PrevExeName = DefaultExeName;
}

void frmLinksmith::txtPath_Change()
{
    PrevExeName = ExeName;
}

void frmLinksmith::cmdBrowse_Click()
{
    const std::optional<QString> chosen = platform().openFileDialog(
        QStringLiteral("Executable Files (*.exe)|*.exe|All Files (*.*)|*.*|"), txtPath->text());
    QString fileTitle;
    if (chosen && !chosen->isEmpty()) {
        if (txtPath->text() != *chosen)
            txtPath->setText(*chosen); // txtPath_Change keeps the name it replaces
        fileTitle = QFileInfo(*chosen).fileName();
    }
    ExeName = fileTitle;
    if (ExeName.isEmpty())
        ExeName = PrevExeName;
    // The name now belongs to the path shown: a later Cancel keeps it, rather
    // than bringing back the name of the path that browsing replaced.
    PrevExeName = ExeName;
}

void frmLinksmith::cmdOK_Click()
{
    if (!confirmTarget(txtPath->text()))
        return; // the window stays open for another path

    struct Place {
        QCheckBox* box;
        QString folder;
        QString created;
        QString failed;
    };
    const Place places[] = {
        {chkDesktop, QStringLiteral("..\\..\\Desktop"), QStringLiteral("Created desktop shortcut"),
         QStringLiteral("Unable to create desktop shortcut")},
        {chkStartMenu, QStringLiteral("$(Programs)"), QStringLiteral("Created shortcut on Programs menu"),
         QStringLiteral("Unable to create shortcut on Programs menu")},
        {chkStartUp, QStringLiteral("Startup"), QStringLiteral("Created shortcut in Startup folder"),
         QStringLiteral("Unable to create shortcut in Startup folder")},
    };

    const QString name = QStringLiteral("Shortcut to ") + ExeName;
    const QString target = txtPath->text();
    const QString arguments;
    for (const Place& place : places) {
        if (!place.box->isChecked())
            continue;
        const QString base = QStringLiteral("$(Programs)");
        const qint32 result = fCreateShellLink(place.folder, name, target, arguments, -1, base);
        platform().messageBox(result != 0 ? place.created + QStringLiteral("\n\n") +
                                                QDir::toNativeSeparators(ShellLink::entryPath(place.folder, name, base))
                                          : place.failed,
                              Title);
    }
    if (!chkDesktop->isChecked() && !chkStartMenu->isChecked() && !chkStartUp->isChecked())
        platform().messageBox(QStringLiteral("No Shortcuts created."), Title);
    endProgram();
}

bool frmLinksmith::confirmTarget(const QString& target)
{
    if (target.isEmpty() || (!chkDesktop->isChecked() && !chkStartMenu->isChecked() && !chkStartUp->isChecked()))
        return true;
    // As the shortcut will start it: a bare name from PATH, a relative path from the working folder.
    const bool exists = target.contains(QLatin1Char('/')) ? QFileInfo::exists(QDir::current().absoluteFilePath(target))
                                                          : !QStandardPaths::findExecutable(target).isEmpty();
    if (exists)
        return true;
    return platform().messageBox(QStringLiteral("The program \"%1\" does not exist. Create the shortcut anyway?")
                                     .arg(QDir::toNativeSeparators(target)),
                                 Title, MsgButtons::YesNo, MsgIcon::Warning) == MsgAnswer::Yes;
}

void frmLinksmith::cmdExit_Click()
{
    platform().messageBox(QStringLiteral("No Shortcuts created."), Title);
    endProgram();
}

void frmLinksmith::closeEvent(QCloseEvent* event)
{
    // The only window: closing it by its frame ends the program too.
    event->accept();
    if (m_ending)
        return;
    m_ending = true;
    quit();
}

void frmLinksmith::endProgram()
{
    if (m_ending)
        return;
    m_ending = true;
    close();
    quit();
}

void frmLinksmith::quit()
{
    ProgramEnd::quit();
}
