#include "frmLinksmith.h"

#include "DataFolder.h"
#include "LengthLimits.h"
#include "PlatformServices.h"
#include "ProgramEnd.h"
#include "ShellLink.h"
#include "WindowLook.h"

#include <QCloseEvent>
#include <QFileInfo>

namespace {

const QString Title = QStringLiteral("Linksmith");
const QString DefaultExeName = QStringLiteral("Gearbook");

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

frmLinksmith* frmLinksmith::instance()
{
    static frmLinksmith* window = new frmLinksmith;
    return window;
}

QString frmLinksmith::defaultTarget()
{
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
        const qint32 result =
            fCreateShellLink(place.folder, name, target, arguments, -1, QStringLiteral("$(Programs)"));
        platform().messageBox(result != 0 ? place.created : place.failed, Title);
    }
    if (!chkDesktop->isChecked() && !chkStartMenu->isChecked() && !chkStartUp->isChecked())
        platform().messageBox(QStringLiteral("No Shortcuts created."), Title);
    endProgram();
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
