#include "ui/Icon.h"

#include <QIconEngine>
#include <QPainter>
#include <QString>

namespace {

constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

QString resourcePath(int size)
{
    return QStringLiteral(":/gearbook/gearbook-%1.png").arg(size);
}

} // namespace

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void ensureResources()
{
    // The resources live in a static library: without this the linker may drop them.
    static const bool done = [] {
        Q_INIT_RESOURCE(gearbook);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

// Every size, decoded: adding a file to a QIcon reads and decodes its image at once.
QIcon decodedIcon()
{
    ensureResources();
    QIcon icon;
    for (int size : kSizes)
        icon.addFile(resourcePath(size), QSize(size, size));
    return icon;
}

// Makes the icon only when something first draws it or asks about it.
class DeferredIconEngine final : public QIconEngine {
public:
    DeferredIconEngine(std::function<QIcon()> make, QString key) : m_make(std::move(make)), m_key(std::move(key)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        decoded().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return decoded().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return decoded().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return decoded().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return decoded().availableSizes(mode, state);
    }
    void addPixmap(const QPixmap& pixmap, QIcon::Mode mode, QIcon::State state) override
    {
        decoded().addPixmap(pixmap, mode, state);
    }
    void addFile(const QString& fileName, const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        decoded().addFile(fileName, size, mode, state);
    }
    bool isNull() override { return false; }
    QString key() const override { return m_key; }
    QIconEngine* clone() const override
    {
        auto* copy = new DeferredIconEngine(m_make, m_key);
        copy->m_icon = m_icon;
        copy->m_made = m_made;
        return copy;
    }

private:
    QIcon& decoded()
    {
        if (!m_made) {
            m_icon = m_make();
            m_made = true;
        }
        return m_icon;
    }

    std::function<QIcon()> m_make;
    QString m_key;
    QIcon m_icon;
    bool m_made = false;
};

} // namespace

QIcon deferredIcon(std::function<QIcon()> make, const QString& key)
{
    return QIcon(new DeferredIconEngine(std::move(make), key));
}

QIcon gearbookIcon()
{
    // Every window gets the icon at start, but on many platforms (offscreen,
    // Wayland) nothing ever draws a window icon, and six decoded images cost a
    // tenth of the start.
    return deferredIcon(decodedIcon, QStringLiteral("gearbook"));
}

QPixmap gearbookPixmap(int size)
{
    ensureResources();
    for (int s : kSizes)
        if (s == size)
            return QPixmap(resourcePath(size));
    return gearbookIcon().pixmap(size, size);
}
