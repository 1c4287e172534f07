#include "ui/WindowLook.h"

#include "ui/Icon.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOption>

#include <qdrawutil.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace {

constexpr double MinimumContrast = 4.5;
// Large text (18 pt, or 14 pt bold) reads at a lower contrast, as the same guideline says.
constexpr double MinimumContrastLarge = 3.0;

// Enter that no control took, in a window that is not a dialog: the focused
// button is clicked, else the window's default button.
class EnterFilter : public QObject {
public:
    EnterFilter(QWidget* window, QList<QPointer<QPushButton>> defaults)
        : QObject(window), m_window(window), m_defaults(std::move(defaults))
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window || event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        QWidget* focus = QApplication::focusWidget();
        for (QWidget* w = focus; w && w != m_window; w = w->parentWidget())
            if (w->property("ownsEnter").toBool())
                return false;
        if (auto* button = qobject_cast<QPushButton*>(focus); button && button->window() == m_window) {
            button->click();
            return true;
        }
        // The default buttons as the form gave them: a focused button in a
        // plain window takes the default's role while it has the focus and
        // drops it afterwards.
        const auto ready = std::ranges::find_if(std::as_const(m_defaults), [](const auto& button) {
            return button && button->isVisible() && button->isEnabled();
        });
        if (ready == m_defaults.cend())
            return false;
        (*ready)->click();
        return true;
    }

private:
    QWidget* m_window;
    QList<QPointer<QPushButton>> m_defaults;
};

// The forms' button and frame sizes come from a platform whose buttons wrapped
// a long caption onto a second line and whose frames drew their caption on
// the frame's top line.
class CaptionStyle : public QProxyStyle {
public:
    explicit CaptionStyle(QStyle* base) : QProxyStyle(base) {}

    // Every menu bar makes its overflow button, with its icon, when it is
    // built, and reading that icon loads three image format plugins. The
    // button shows only on a window too narrow for its menus: the icon is read
    // when first drawn.
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override
    {
        if ((icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton) || option)
            return QProxyStyle::standardIcon(icon, option, widget);
        return deferredIcon(
            [base = QPointer<QStyle>(baseStyle()), icon] { return base ? base->standardIcon(icon) : QIcon(); },
            QStringLiteral("gearbook-standard-%1").arg(int(icon)));
    }

    // Password boxes show "*" for each character, as the original's did
    // (styles draw a bullet by default).
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        if (element == CE_PushButtonLabel) {
            const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
            if (button && button->icon.isNull() && !button->text.contains(QLatin1Char('\n')) &&
                button->fontMetrics.horizontalAdvance(QString(button->text).remove(QLatin1Char('&'))) >
                    button->rect.width()) {
                int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
                if (!proxy()->styleHint(SH_UnderlineShortcut, button, widget))
                    flags |= Qt::TextHideMnemonic;
                proxy()->drawItemText(painter, button->rect, flags, button->palette, button->state & State_Enabled,
                                      button->text, QPalette::ButtonText);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !box || box->text.isEmpty() || (box->subControls & SC_GroupBoxCheckBox)) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const QRect label = proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
        // An etched line from the middle of the caption down, broken where the caption stands.
        painter->save();
        QRegion around(box->rect);
        around -= label.adjusted(-2, 0, 2, 0);
        painter->setClipRegion(around);
        QRect frame = box->rect;
        frame.setTop(label.center().y());
        qDrawShadeRect(painter, frame, box->palette, true, 1);
        painter->restore();
        int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
        if (!proxy()->styleHint(SH_UnderlineShortcut, box, widget))
            flags |= Qt::TextHideMnemonic;
        proxy()->drawItemText(painter, label, flags, box->palette, box->state & State_Enabled, box->text,
                              QPalette::WindowText);
    }
};

bool roleSet(const QPalette& palette, QPalette::ColorRole role)
{
    static constexpr std::array Groups{QPalette::Active, QPalette::Inactive, QPalette::Disabled};
    return std::ranges::any_of(Groups, [&](int group) {
        return palette.resolveMask() & (QPalette::ResolveMask(1) << (role + QPalette::NColorRoles * group));
    });
}

void setRole(QPalette& palette, QPalette::ColorRole role, const QColor& color)
{
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, role, color);
}

// The background and text roles of a fixed pair on each kind of control.
struct RolePair {
    QPalette::ColorRole background;
    QPalette::ColorRole text;
};
constexpr RolePair Pairs[] = {{QPalette::Base, QPalette::Text},
                              {QPalette::Window, QPalette::WindowText},
                              {QPalette::Button, QPalette::ButtonText}};

void makeReadable(QWidget* widget)
{
    if (!widget->testAttribute(Qt::WA_SetPalette))
        return; // its colours are the theme's, or come with its parent's
    QPalette palette = widget->palette();
    const QPalette theme = QApplication::palette(widget);
    bool changed = false;
    for (const RolePair& pair : Pairs) {
        const bool background = roleSet(palette, pair.background);
        const bool text = roleSet(palette, pair.text);
        if (background && !text) {
            setRole(palette, pair.text, Qt::black);
            changed = true;
        } else if (text && !background) {
            const QColor wanted = palette.color(QPalette::Active, pair.text);
            const QColor shown =
                WindowLook::readableText(wanted, palette.color(QPalette::Active, pair.background),
                                         theme.color(QPalette::Active, pair.text), WindowLook::isLarge(widget->font()));
            if (shown != wanted) {
                for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                    palette.setColor(group, pair.text, theme.color(group, pair.text));
                changed = true;
            }
        }
    }
    if (changed)
        widget->setPalette(palette);
}

// Sets a caption a little closer when the font shows it wider than the form's
// control (the substitute fonts are not the original's); at most 12%: the
// widest spacing from 99% down that fits. The spacings are tried on copies of
// the font and only the one chosen is set, as setting a widget's font costs
// far more than measuring a caption.
void fitCaption(QWidget* widget)
{
    QString text;
    int room = 0;
    // The width a caption's text takes in given metrics; the control may add
    // some that does not depend on the spacing (a check box's indicator).
    std::function<int(const QFontMetrics&)> textWidth;
    int hint = -1;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        text = label->text();
        if (label->wordWrap() || text.isEmpty() || Qt::mightBeRichText(text) || label->textFormat() == Qt::RichText)
            return;
        if (label->buddy())
            text.remove(QLatin1Char('&'));
        room = label->contentsRect().width();
        textWidth = [&text](const QFontMetrics& metrics) { return metrics.horizontalAdvance(text); };
    } else if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget)) {
        text = static_cast<QAbstractButton*>(widget)->text();
        if (text.isEmpty())
            return; // nothing to set closer
        room = widget->width();
        hint = widget->sizeHint().width(); // polishes the button first, which may change its font
        if (hint <= room)
            return;
        // Measured as the button measures its size hint.
        const QStyle* style = widget->style();
        textWidth = [&text, style](const QFontMetrics& metrics) {
            return style->itemTextRect(metrics, QRect(), Qt::TextShowMnemonic, false, text).width();
        };
    } else {
        return;
    }
    const QFont shown = widget->font();
    const int width = textWidth(QFontMetrics(shown));
    const int extra = hint < 0 ? 0 : hint - width;
    if (width + extra <= room)
        return;
    auto spaced = [&shown](int percent) {
        QFont font = shown;
        font.setLetterSpacing(QFont::PercentageSpacing, percent);
        return font;
    };
    auto overflows = [&](int percent) { return textWidth(QFontMetrics(spaced(percent))) + extra > room; };
    // The width grows with the spacing: start where it would just fit if it
    // grew in proportion, and step from there.
    constexpr int Widest = 99;
    constexpr int Closest = 88;
    int percent = std::clamp(int(100.0 * (room - extra) / std::max(1, width)), Closest, Widest);
    if (overflows(percent)) {
        while (percent > Closest && overflows(--percent)) {
        }
    } else {
        while (percent < Widest && !overflows(percent + 1))
            ++percent;
    }
    widget->setFont(spaced(percent));
}

// A caption out of sight when its window is built (another page of the
// window) is fitted when first shown: many such pages are never opened, and
// measuring loads the caption's font.
class FitOnShow : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            fitCaption(static_cast<QWidget*>(watched));
        }
        return false;
    }
};

} // namespace

namespace WindowLook {

void installStyle()
{
    // Marked by a property rather than its type: the help browser module has its own copy of this code.
    static const char* const Mark = "gearbookCaptionStyle";
    if (QApplication::style()->property(Mark).toBool())
        return;
    QStyle* base = QStyleFactory::create(QApplication::style()->name());
    if (!base)
        return;
    auto* style = new CaptionStyle(base);
    style->setProperty(Mark, true);
    QApplication::setStyle(style);
}

void apply(QWidget* window)
{
    installStyle();

    QList<QPointer<QPushButton>> defaults;
    const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        if (button->isDefault())
            defaults << button;
        button->setAutoDefault(true); // Enter clicks the focused button
    }
    if (!qobject_cast<QDialog*>(window))
        window->installEventFilter(new EnterFilter(window, defaults));

    makeReadable(window);
    FitOnShow* fitOnShow = nullptr;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        makeReadable(widget);
        if (!qobject_cast<QLabel*>(widget) && !qobject_cast<QCheckBox*>(widget) && !qobject_cast<QRadioButton*>(widget))
            continue;
        if (widget->isVisibleTo(window)) {
            fitCaption(widget);
        } else {
            if (!fitOnShow)
                fitOnShow = new FitOnShow(window);
            widget->installEventFilter(fitOnShow);
        }
    }
}

double contrast(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isLarge(const QFont& font)
{
    const qreal points = font.pointSizeF();
    return points >= 18 || (points >= 14 && font.bold());
}

QColor readableText(const QColor& wanted, const QColor& background, const QColor& themeText, bool large)
{
    return contrast(wanted, background) >= (large ? MinimumContrastLarge : MinimumContrast) ? wanted : themeText;
}

void setFixedBackground(QWidget* box, const QColor& background, const QColor& text)
{
    QPalette palette = box->palette();
    const QPalette::ColorRole role = box->backgroundRole();
    const QPalette::ColorRole textRole = box->foregroundRole();
    setRole(palette, role, background);
    setRole(palette, textRole, text);
    box->setPalette(palette);
}

} // namespace WindowLook
