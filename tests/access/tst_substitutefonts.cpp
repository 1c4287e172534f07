#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "access/frmChangePass.h"
#include "access/frmLogin.h"
#include "ui/Fonts.h"
#include "vehicles/frmAutoMain.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QTest>

#include <memory>

namespace {

QString shown(const QFont& font)
{
    const QFontInfo info(font);
    return QStringLiteral("%1 %2px%3%4")
        .arg(info.family())
        .arg(info.pixelSize())
        .arg(info.bold() ? QStringLiteral(" bold") : QString())
        .arg(info.italic() ? QStringLiteral(" italic") : QString());
}

} // namespace

class TestSubstituteFonts : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedPlatform> ui;

private slots:
    void initTestCase() { registerFontSubstitutions(); }
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        ui = std::make_unique<ScriptedPlatform>();
    }
    void cleanup()
    {
        frmLogin::discard();
        frmChangePass::discard();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ui.reset();
        env.reset();
    }

    void sameFontShownUnderItsInstalledName_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::newRow("Arial") << "Arial" << 8.0 << false << false;
        QTest::newRow("Abbess bold") << "Abbess" << 18.0 << true << false;
        QTest::newRow("Bering 8.25") << "Bering" << 8.25 << false << false;
        QTest::newRow("Lucida Console bold") << "Lucida Console" << 9.75 << true << false;
        QTest::newRow("Comic Sans MS italic") << "Comic Sans MS" << 12.0 << false << true;
        QTest::newRow("Microsoft Sans Serif") << "Microsoft Sans Serif" << 9.0 << false << false;
        QTest::newRow("an installed family") << "DejaVu Sans" << 10.0 << false << false;
    }
    void sameFontShownUnderItsInstalledName()
    {
        QFETCH(QString, family);
        QFETCH(qreal, points);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFont font(family);
        font.setPointSizeF(points);
        font.setBold(bold);
        font.setItalic(italic);
        const QString asNamed = shown(font);

        QWidget form;
        QLabel* label = nullptr;
        QLabel* inheriting = nullptr;
        {
            const InstalledFontNames installedNames;
            form.setFont(QFont(QStringLiteral("Arial"), 8));
            label = new QLabel(QStringLiteral("Gearbook"), &form);
            label->setFont(font);
            inheriting = new QLabel(label);
        }
        QCOMPARE(label->font().family(), QFont::substitute(family));
        QCOMPARE(label->font().pointSizeF(), points);
        QCOMPARE(shown(label->font()), asNamed);
        QCOMPARE(form.font().family(), QFont::substitute(QStringLiteral("Arial")));
        // A widget without a font of its own still follows its parent.
        QVERIFY(!inheriting->testAttribute(Qt::WA_SetFont));
        QCOMPARE(inheriting->font(), label->font());

        // Once the form is built, fonts keep the names they are given.
        label->setFont(font);
        QCOMPARE(label->font().family(), family);
    }

    void loginWindowsShowTheMappedFonts()
    {
        frmLogin* w = frmLogin::instance();
        QCOMPARE(shown(frmChangePass::instance()->txtOldName->font()), QStringLiteral("Liberation Sans 11px"));
        QCOMPARE(shown(w->lblLoginTitle->font()), QStringLiteral("DejaVu Serif 24px bold"));
        QCOMPARE(w->Label2->font().pointSizeF(), 8.25);
        QCOMPARE(QFontInfo(w->Label2->font()).family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(w->lblVenbrySoftware->font().pointSizeF(), 9.75);
        QCOMPARE(shown(w->lblVenbrySoftware->font()), QStringLiteral("DejaVu Sans Mono 13px bold"));
        QCOMPARE(shown(w->txtUserName->font()), QStringLiteral("Liberation Sans 11px"));
        QCOMPARE(shown(w->Ui::frmLogin::menuBar->font()), QStringLiteral("Liberation Sans 11px"));
    }

    void mainWindowShowsTheMappedFonts()
    {
        frmAutoMain* w = frmAutoMain::instance();
        QCOMPARE(shown(w->lblMaintList->font()), QStringLiteral("Comic Neue 16px"));
        QCOMPARE(shown(w->lblMNotes->font()), QStringLiteral("DejaVu Sans 12px"));
        QCOMPARE(shown(w->cboVehicle->font()), QStringLiteral("Liberation Sans 11px"));
        // Set after the form is built: keeps the form's name.
        QCOMPARE(w->SSTab1->tabBar()->font().family(), QStringLiteral("Comic Sans MS"));
    }
};

GEARBOOK_TEST_MAIN(TestSubstituteFonts)
#include "tst_substitutefonts.moc"
