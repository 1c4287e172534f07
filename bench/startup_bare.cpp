// The yardstick for Gearbook's start: a bare Qt Widgets program that shows one
// small dialog, ended after its first paint the same way Gearbook is.
#include "common/QuitAfterFirstPaint.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QuitAfterFirstPaint::installIfRequested(&app);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Login"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("User name:")));
    layout->addWidget(new QLineEdit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.show();
    return app.exec();
}
