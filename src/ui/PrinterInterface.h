#pragma once

#include <QImage>
#include <QString>
#include <QtPlugin>

// What the printing module offers the program. Printing (Qt's print support)
// lives in a module of its own, loaded at the first print command, so the
// program does not load it at every start.
class PrinterInterface {
public:
    virtual ~PrinterInterface() = default;
    // Prints one page image on the default printer, without a dialog. On
    // failure returns false and a reason for the user.
    virtual bool printImage(const QImage& image, QString* error) = 0;
};

#define PrinterInterface_iid "example.venbry.Gearbook.Printer/1.0"
Q_DECLARE_INTERFACE(PrinterInterface, PrinterInterface_iid)

// The reason printImage gives when there is no printer at all (the window then offers a PDF).
inline const QString NoPrinterReason = QStringLiteral("No printer is installed.");

// The module's file name, looked for in the modules' folder (Module::folder).
inline const QString PrinterModuleFileName = QStringLiteral("GearbookPrinter.so");
