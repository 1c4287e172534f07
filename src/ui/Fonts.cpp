#include "Fonts.h"

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

void useSubstituteFont(QWidget* widget)
{
    // Only fonts set on the widget itself: the others follow their parent.
    if (!widget->testAttribute(Qt::WA_SetFont))
        return;
    QFont font = widget->font();
    // In the spelling Qt keeps the substitute in, so the engine Qt may already
    // have loaded for the mapped family is found again rather than loaded twice.
    const QString substitute = QFont::substitute(font.family());
    if (substitute != font.family()) {
        font.setFamilies({substitute});
        widget->setFont(font);
    }
}

} // namespace

void useSubstituteFonts(QWidget* form)
{
    useSubstituteFont(form);
    const QList<QWidget*> children = form->findChildren<QWidget*>();
    for (QWidget* child : children)
        useSubstituteFont(child);
}
