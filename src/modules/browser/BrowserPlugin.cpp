// The optional web-engine module (GearbookBrowser.so): a help view that shows
// web pages inside the help browser window. Only this module links QtWebEngine.
#include "help/HelpBrowserInterface.h"
#include "help/HelpView.h"

#include <QGuiApplication>
#include <QObject>
#include <QOpenGLContext>
#include <QWebEngineView>

#include <unistd.h>

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

// Chromium refuses to start its sandbox as root; the view then runs without it.
void allowRunningAsRoot()
{
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

class WebHelpView final : public HelpView {
public:
    explicit WebHelpView(QWidget* parent)
    {
        allowRunningAsRoot();
        shareOpenGLContexts();
        m_view = new QWebEngineView(parent);
        m_view->setObjectName(QStringLiteral("webPage"));
        m_view->setAccessibleName(QStringLiteral("Page"));
        // Keys the page did not want stay with the page: Enter there never presses Go.
        m_view->setProperty("ownsEnter", true);
        QObject::connect(m_view, &QWebEngineView::urlChanged, m_view, [this](const QUrl& url) {
            if (navigated)
                navigated(url);
        });
        QObject::connect(m_view, &QWebEngineView::loadFinished, m_view, [this] {
            if (loadFinished)
                loadFinished();
        });
    }
    ~WebHelpView() override { delete m_view; }

    QWidget* widget() override { return m_view; }
    void load(const QUrl& url) override { m_view->load(url); }
    void reload() override { m_view->reload(); }
    void stop() override { m_view->stop(); }
    QUrl url() const override { return m_view->url(); }

private:
    QWebEngineView* m_view;
};

} // namespace

class BrowserPlugin : public QObject, public HelpBrowserInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HelpBrowserInterface_iid)
    Q_INTERFACES(HelpBrowserInterface)

public:
    HelpView* createView(QWidget* parent) override { return new WebHelpView(parent); }
};

#include "BrowserPlugin.moc"
