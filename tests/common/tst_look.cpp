#include "NameOrder.h"
#include "TestEnvironment.h"
#include "WindowLook.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

// The order of names and the colours every window shares.
class TestLook : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

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
