#include "common/AppId.h"
#include "common/modGlobalVars.h"
#include "linksmith/frmLinksmith.h"
#include "ui/Fonts.h"
#include "ui/Icon.h"
#include "ui/WindowLook.h"

#include <QApplication>
#include <QByteArrayView>

#include <cstdio>

namespace {

// What `linksmith --help` prints: the window's work in words, without a display.
constexpr char HelpText[] =
    "Usage: linksmith [Qt options]\n"
    "Opens a small window that makes shortcuts to Gearbook (or another program you browse to):\n"
    "a desktop shortcut, an entry in the applications menu and an autostart entry, each a\n"
    "desktop entry named \"Shortcut to PROGRAM.desktop\" in ~/Desktop, ~/.local/share/applications\n"
    "and ~/.config/autostart.\n"
    "\n"
    "Options:\n"
    "  -h, --help  Shows this help and ends.\n"
    "\n"
    "Qt's own options (such as -style) are passed to the window. See linksmith(1).\n";

bool helpAsked(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        for (const QByteArrayView help : {"--help", "--help-all", "-h", "-?"})
            if (QByteArrayView(argv[i]) == help)
                return true;
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (helpAsked(argc, argv)) {
        std::fputs(HelpText, stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Linksmith"));
    // Shells find the menu entry, and so the icon, of our window by this name.
    QApplication::setDesktopFileName(AppId::linksmith());
    modGlobalVars::ApplicationTitle = QStringLiteral("Linksmith");
    registerFontSubstitutions();
    QApplication::setWindowIcon(gearbookIcon());
    WindowLook::installStyle();

    frmLinksmith::instance()->show();
    return QApplication::exec();
}
