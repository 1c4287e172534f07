#include "common/RecordCaptions.h"

namespace RecordCaptions {

const QStringList& vehicle()
{
    static const QStringList captions = {QStringLiteral("Make"),
                                         QStringLiteral("Model"),
                                         QStringLiteral("Year"),
                                         QStringLiteral("Color"),
                                         QStringLiteral("Engine"),
                                         QStringLiteral("Doors"),
                                         QStringLiteral("Original Mileage"),
                                         QStringLiteral("Automatic"),
                                         QStringLiteral("Manual (Stick)"),
                                         QStringLiteral("Vehicle was Purchased at"),
                                         QStringLiteral("Date Purchased"),
                                         QStringLiteral("Warranty"),
                                         QStringLiteral("Insurance Company"),
                                         QStringLiteral("Insured since"),
                                         QStringLiteral("New"),
                                         QStringLiteral("Used"),
                                         QStringLiteral("Notes")};
    return captions;
}

const QStringList& maintenance()
{
    static const QStringList captions = {
        QStringLiteral("Last Inspection date"),    QStringLiteral("Next Inspection date"),
        QStringLiteral("Mileage last inspection"), QStringLiteral("Mileage Next Inspection"),
        QStringLiteral("Location Inspected"),      QStringLiteral("Notes")};
    return captions;
}

const QStringList& parts()
{
    static const QStringList captions = {QStringLiteral("Location Purchased"), QStringLiteral("Date Purchased"),
                                         QStringLiteral("Brand/Manufacturer"), QStringLiteral("Warranty Expiration"),
                                         QStringLiteral("Size/Specs"),         QStringLiteral("Date Installed"),
                                         QStringLiteral("# of Parts"),         QStringLiteral("Notes")};
    return captions;
}

QString transmission()
{
    return QStringLiteral("Transmission");
}

QString boughtAs()
{
    return QStringLiteral("Bought as...");
}

} // namespace RecordCaptions
