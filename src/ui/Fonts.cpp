#include "ui/Fonts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFont>
#include <QWidget>

void registerFontSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Microsoft Sans Serif"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("Lucida Console"), QStringLiteral("DejaVu Sans Mono"));
    QFont::insertSubstitution(QStringLiteral("Abbess"), QStringLiteral("DejaVu Serif"));
    QFont::insertSubstitution(QStringLiteral("Bering"), QStringLiteral("DejaVu Serif"));
}

namespace {

// Gives a widget whose own font names a mapped family the installed family itself.
void useSubstituteFont(QWidget* widget)
{
    // Only fonts set on the widget itself: the others follow their parent.
    if (!widget->testAttribute(Qt::WA_SetFont))
        return;
    QFont font = widget->font();
    const QString substitute = QFont::substitute(font.family());
    if (substitute != font.family()) {
        font.setFamilies({substitute});
        widget->setFont(font); // names an installed family now: no second turn
    }
}

class FontChangeFilter final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FontChange && watched->isWidgetType())
            useSubstituteFont(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

InstalledFontNames::InstalledFontNames() : m_filter(std::make_unique<FontChangeFilter>())
{
    QCoreApplication::instance()->installEventFilter(m_filter.get());
}

InstalledFontNames::~InstalledFontNames() = default; // the filter removes itself as it goes
