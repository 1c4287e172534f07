// The help browser module's entry: the program reaches frmBrowser only through this.
#include "HelpBrowserInterface.h"
#include "frmBrowser.h"
#include "modGlobalVars.h"

#include <QGuiApplication>
#include <QObject>
#include <QOpenGLContext>

// Exported by Qt GUI without a public declaration; QtWebEngine itself declares it the same way.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace {

// QtWebEngine needs an OpenGL context that its views share. Linked into a
// program it makes one as the application starts; loaded later, as this module
// is, it finds none (and would crash), so the module makes it, once, before the
// first view, as QtWebEngine would have. The program's start never pays for it.
void shareOpenGLContexts()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext(qApp);
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace

class BrowserPlugin : public QObject, public HelpBrowserInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HelpBrowserInterface_iid)
    Q_INTERFACES(HelpBrowserInterface)

public:
    void showAddress(const QString& address) override
    {
        // The module has its own copy of the globals; the window reads the address from it.
        modGlobalVars::CurrentAddress = address;
        shareOpenGLContexts();
        frmBrowser::showBrowser();
    }
};

#include "BrowserPlugin.moc"
