#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "access/frmChangePass.h"
#include "access/frmLogin.h"
#include "duewindow/frmDueMaint.h"
#include "help/frmAutoAbout.h"
#include "help/frmBrowser.h"
#include "linksmith/frmLinksmith.h"
#include "syncwindow/frmSyncConflicts.h"
#include "vehicles/frmAutoMain.h"
#include "vehicles/frmAutoPic.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

// What a screen reader announces: every input, list, button and picture of
// every window of both programs has a name.
class TestAccessibility : public QObject {
    Q_OBJECT

    static QStringList nameless(QWidget* window)
    {
        QStringList out;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            auto* label = qobject_cast<QLabel*>(w);
            const bool picture = label && label->text().isEmpty() && w->objectName().startsWith("pic");
            if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QPlainTextEdit*>(w) && !qobject_cast<QComboBox*>(w) &&
                !qobject_cast<QAbstractItemView*>(w) && !qobject_cast<QAbstractButton*>(w) && !picture)
                continue;
            // Qt's own parts: the menu bar's overflow button, a tree's header
            bool part = w->objectName().startsWith("qt_") || qobject_cast<QHeaderView*>(w);
            // and a combo box's drop-down list
            for (QWidget* up = w->parentWidget(); up && up != window; up = up->parentWidget())
                part = part || qobject_cast<QComboBox*>(up);
            if (part)
                continue;
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
            if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
                out << window->objectName() + "." + w->objectName();
        }
        return out;
    }

private slots:
    void everyControlHasAName()
    {
        ScriptedPlatform dialogs;
        frmAutoAbout::showAbout();
        QStringList missing;
        missing << nameless(frmLogin::instance()) << nameless(frmChangePass::instance())
                << nameless(frmAutoMain::instance()) << nameless(frmAutoPic::instance())
                << nameless(frmAutoAbout::instance()) << nameless(frmBrowser::instance())
                << nameless(frmDueMaint::instance()) << nameless(frmLinksmith::instance())
                << nameless(frmSyncConflicts::instance());
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
    }
};

GEARBOOK_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
