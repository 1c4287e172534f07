#include "MappedLibrary.h"
#include "TestEnvironment.h"
#include "common/NameOrder.h"
#include "ui/WindowLook.h"

#include <QApplication>
#include <QCheckBox>
#include <QCollator>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>
#include <QToolButton>

#include <algorithm>

// The order of names and the colours every window shares.
class TestLook : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Run first: once read, image format plugins stay loaded.
    void overflowIconIsReadWhenDrawn()
    {
        WindowLook::installStyle();
        QMainWindow window;
        window.menuBar()->addMenu(QStringLiteral("&File"));
        auto* overflow = window.menuBar()->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"));
        QVERIFY(overflow);
        QVERIFY(!libraryMapped("/imageformats/"));
        QVERIFY(!overflow->icon().pixmap(16, 16).isNull());
    }

    void namesSortInTheUsersLanguageIgnoringCase()
    {
        QStringList names{"Zed", "Émile", "eagle", "emu", "Eagle"};
        std::stable_sort(names.begin(), names.end(), NameOrder::lessThan);
        QCOMPARE(names, QStringList({"eagle", "Eagle", "Émile", "emu", "Zed"}));
        QCOMPARE(NameOrder::compare(u"oil", u"OIL"), 0);
    }

    // Plain ASCII names take a shortcut; it must sort exactly as the collator does.
    void asciiShortcutAgreesWithTheCollator()
    {
        QCollator collator{QLocale()};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        QRandomGenerator random(15);
        const QString alphabet = QStringLiteral(" -_,.'()&0123456789aAbBeEzZ");
        auto name = [&] {
            QString s;
            for (int i = 0, n = random.bounded(1, 6); i < n; ++i)
                s += alphabet.at(random.bounded(int(alphabet.size())));
            return s;
        };
        for (int i = 0; i < 5000; ++i) {
            const QString a = name(), b = name();
            const int expected = collator.compare(a, b);
            QVERIFY2((NameOrder::compare(a, b) > 0) - (NameOrder::compare(a, b) < 0) == (expected > 0) - (expected < 0),
                     qPrintable(a + " | " + b));
        }
    }

    void contrastDecidesTheTextColour()
    {
        QCOMPARE(qRound(WindowLook::contrast(Qt::black, Qt::white)), 21);
        const QColor navy(0, 0, 128), darkGrey(53, 53, 53), light(240, 240, 240), themeText(Qt::white);
        QCOMPARE(WindowLook::readableText(navy, light, Qt::black), navy);
        QCOMPARE(WindowLook::readableText(navy, darkGrey, themeText), themeText);
        // Green on a light grey theme: 4.47:1, enough for a large title only.
        const QColor green(0, 128, 0), lightGrey(239, 239, 239);
        QCOMPARE(WindowLook::readableText(green, lightGrey, Qt::black), QColor(Qt::black));
        QCOMPARE(WindowLook::readableText(green, lightGrey, Qt::black, true), green);
    }

    // Under a dark theme: a fixed white box shows black text, a fixed navy caption turns light.
    void darkThemeLeavesEveryTextReadable()
    {
        const QPalette old = QApplication::palette();
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(53, 53, 53));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(35, 35, 35));
        dark.setColor(QPalette::Text, Qt::white);
        QApplication::setPalette(dark);
        {
            QWidget window;
            auto* caption = new QLabel(QStringLiteral("Make/Model of Vehicle:"), &window);
            QPalette navy = caption->palette();
            navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
            caption->setPalette(navy);
            auto* box = new QLineEdit(&window);
            QPalette white = box->palette();
            white.setColor(QPalette::Base, Qt::white);
            box->setPalette(white);
            WindowLook::apply(&window);
            QCOMPARE(caption->palette().color(QPalette::WindowText), QColor(Qt::white));
            QCOMPARE(box->palette().color(QPalette::Text), QColor(Qt::black));
            WindowLook::setFixedBackground(box, QColor(53, 53, 53), Qt::white);
            QCOMPARE(box->palette().color(QPalette::Text), QColor(Qt::white));
        }
        QApplication::setPalette(old);
    }

    // A caption wider than its control is set closer, by the least of 1% to 12% that lets it fit
    // (12% when none does); one that fits keeps its font.
    void captionsSetCloserOnlyAsFarAsNeeded_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("room"); // the control's width as a share of what the caption needs
        for (const char* kind : {"label", "buddy", "check", "radio"})
            for (double room : {1.0, 0.99, 0.95, 0.9, 0.8})
                QTest::addRow("%s %.2f", kind, room) << QString::fromLatin1(kind) << room;
    }

    void captionsSetCloserOnlyAsFarAsNeeded()
    {
        QFETCH(QString, kind);
        QFETCH(double, room);
        const QString caption = QStringLiteral("Date of &Last Oil Change:");
        auto make = [&](QWidget* parent) -> QWidget* {
            if (kind == "check")
                return new QCheckBox(caption, parent);
            if (kind == "radio")
                return new QRadioButton(caption, parent);
            auto* label = new QLabel(caption, parent);
            if (kind == "buddy")
                label->setBuddy(new QLineEdit(parent));
            return label;
        };
        // The width the control needs in `font`: a button's own size hint, a label's shown text.
        auto needs = [&](const QFont& font) {
            if (kind == "label" || kind == "buddy")
                return QFontMetrics(font).horizontalAdvance(kind == "buddy" ? QString(caption).remove('&') : caption);
            QWidget parent;
            QWidget* control = make(&parent);
            control->setFont(font);
            return control->sizeHint().width();
        };
        QWidget window;
        QWidget* control = make(&window);
        const QFont natural = control->font();
        const int width = int(needs(natural) * room);
        control->resize(width, 20);
        int expected = 0; // none: the font stays as it is
        if (needs(natural) > width) {
            for (expected = 99; expected > 88; --expected) {
                QFont closer = natural;
                closer.setLetterSpacing(QFont::PercentageSpacing, expected);
                if (needs(closer) <= width)
                    break;
            }
        }
        WindowLook::apply(&window);
        if (expected == 0) {
            QCOMPARE(control->font(), natural);
        } else {
            QCOMPARE(control->font().letterSpacingType(), QFont::PercentageSpacing);
            QCOMPARE(control->font().letterSpacing(), qreal(expected));
        }
        if (room >= 0.95) // the caption fits at the spacing chosen
            QVERIFY(needs(control->font()) <= width);
    }

    // A caption on a page out of sight when the window is built is fitted by the time the page shows.
    void aHiddenPagesCaptionFitsWhenShown()
    {
        QWidget window;
        auto* page = new QWidget(&window);
        page->hide();
        auto* label = new QLabel(QStringLiteral("Date of Last Oil Change:"), page);
        const int width = label->fontMetrics().horizontalAdvance(label->text());
        label->resize(width * 97 / 100, 20);
        WindowLook::apply(&window);
        window.show();
        page->show();
        QCOMPARE(label->font().letterSpacingType(), QFont::PercentageSpacing);
        QVERIFY(label->font().letterSpacing() < 100);
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width());
    }

    // Controls without a caption to fit keep their font however narrow they are.
    void captionlessControlsKeepTheirFont()
    {
        QWidget window;
        auto* box = new QCheckBox(&window);
        auto* wrapped = new QLabel(QStringLiteral("A long caption that wraps onto lines"), &window);
        wrapped->setWordWrap(true);
        auto* rich = new QLabel(QStringLiteral("<b>A long caption in bold</b>"), &window);
        for (QWidget* control :
             {static_cast<QWidget*>(box), static_cast<QWidget*>(wrapped), static_cast<QWidget*>(rich)})
            control->resize(4, 20);
        const QFont natural = box->font();
        WindowLook::apply(&window);
        for (QWidget* control :
             {static_cast<QWidget*>(box), static_cast<QWidget*>(wrapped), static_cast<QWidget*>(rich)})
            QCOMPARE(control->font(), natural);
    }

    // In a window that is not a dialog: Enter clicks the focused button, else the default one.
    void enterInAPlainWindow()
    {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        auto* ok = new QPushButton(QStringLiteral("OK"), &window);
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), &window);
        ok->setDefault(true);
        WindowLook::apply(&window);
        QStringList clicked;
        connect(ok, &QPushButton::clicked, this, [&] { clicked << "ok"; });
        connect(cancel, &QPushButton::clicked, this, [&] { clicked << "cancel"; });
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(clicked, QStringList({"cancel", "ok"}));
    }
};

GEARBOOK_TEST_MAIN(TestLook)
#include "tst_look.moc"
