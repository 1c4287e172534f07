#include "help/TextHelpView.h"

#include <QFileInfo>
#include <QPalette>
#include <QPointer>
#include <QScrollBar>
#include <QTextBrowser>

namespace {

// A page that cannot be shown is said in words, never a blank view. Only
// regular files are opened: a FIFO in the page's place would block the window.
QString unreadablePage(const QUrl& url)
{
    const QFileInfo file(url.toLocalFile());
    if (file.isFile() && file.isReadable())
        return QString();
    return QStringLiteral("<p>There is no page at \"%1\".</p>").arg(file.filePath().toHtmlEscaped());
}

} // namespace

TextHelpView::TextHelpView(QWidget* parent) : m_browser(new QTextBrowser(parent))
{
    m_browser->setObjectName(QStringLiteral("txtPage"));
    m_browser->setAccessibleName(QStringLiteral("Page"));
    // A page is black on white, as in a web browser, under every desktop theme.
    QPalette page = m_browser->palette();
    page.setColor(QPalette::Base, Qt::white);
    page.setColor(QPalette::Text, Qt::black);
    page.setColor(QPalette::Link, QColor(0, 0, 238));
    m_browser->setPalette(page);
    // Links go through the window, which sends web addresses to a web view or the desktop's browser.
    m_browser->setOpenLinks(false);
    m_browser->setOpenExternalLinks(false);
    // Keys the page did not want stay with the page: Enter on a link never presses Go.
    m_browser->setProperty("ownsEnter", true);
    QObject::connect(m_browser, &QTextBrowser::anchorClicked, m_browser, [this](const QUrl& link) {
        if (linkActivated)
            linkActivated(m_url.resolved(link));
    });
}

TextHelpView::~TextHelpView()
{
    delete m_browser;
}

bool TextHelpView::canShow(const QUrl& url)
{
    return url.isLocalFile();
}

QWidget* TextHelpView::widget()
{
    return m_browser;
}

void TextHelpView::load(const QUrl& url)
{
    show(url, false);
    completeLater(true);
}

void TextHelpView::reload()
{
    if (m_url.isEmpty())
        return;
    show(m_url, true);
    completeLater(false);
}

void TextHelpView::show(const QUrl& url, bool readAgain)
{
    const QUrl page = url.adjusted(QUrl::RemoveFragment);
    const bool onView = !m_shown.isEmpty() && m_shown == page;
    m_url = url;
    const QString unreadable = unreadablePage(url);
    if (!unreadable.isEmpty()) {
        m_shown.clear();
        m_browser->setHtml(unreadable);
        return;
    }
    if (!onView || readAgain) {
        // The browser reads a page again only through reload(), not for the address it last read.
        if (m_browser->source().adjusted(QUrl::RemoveFragment) == page)
            m_browser->reload();
        else
            m_browser->setSource(page, QTextDocument::HtmlResource);
        m_shown = page;
    }
    if (url.hasFragment())
        m_browser->scrollToAnchor(url.fragment());
    else if (!onView)
        m_browser->verticalScrollBar()->setValue(0);
}

void TextHelpView::showNote(const QString& text)
{
    m_shown.clear();
    m_browser->setHtml(QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped()));
}

void TextHelpView::completeLater(bool navigation)
{
    const QPointer<QTextBrowser> alive = m_browser;
    QMetaObject::invokeMethod(
        m_browser,
        [this, alive, navigation] {
            if (!alive)
                return;
            if (navigation && navigated)
                navigated(m_url);
            if (loadFinished)
                loadFinished();
        },
        Qt::QueuedConnection);
}
