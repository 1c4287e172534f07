#include "Icon.h"

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

QIcon gearbookIcon()
{
    ensureResources();
    QIcon icon;
    for (int size : kSizes)
        icon.addFile(resourcePath(size), QSize(size, size));
    return icon;
}

QPixmap gearbookPixmap(int size)
{
    ensureResources();
    for (int s : kSizes)
        if (s == size)
            return QPixmap(resourcePath(size));
    return gearbookIcon().pixmap(size, size);
}
