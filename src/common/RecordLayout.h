#pragma once

#include <QString>
#include <QStringList>

// Where each value stands in its record: the 17 of a vehicle file, the 6 of a
// maintenance record, the 8 of a part record. Every reader and writer names a
// value by these positions; their captions are RecordCaptions'.
namespace RecordLayout {

enum class Kind { Vehicle, Maintenance, Part };

namespace Vehicle {
enum Position : int {
    Make,
    Model,
    Year,
    Color,
    Engine,
    Doors,
    OriginalMileage,
    Automatic, // truth value: the "Transmission" pair
    Manual,    // truth value
    PurchasedAt,
    DatePurchased,
    Warranty,
    InsuranceCompany,
    InsuredSince,
    New,  // truth value: the "Bought as..." pair
    Used, // truth value
    Notes,
    Count
};
} // namespace Vehicle

namespace Maintenance {
enum Position : int { LastInspection, NextInspection, LastMileage, NextMileage, Shop, Notes, Count };
} // namespace Maintenance

namespace Part {
enum Position : int {
    PurchasedAt,
    DatePurchased,
    Brand,
    WarrantyExpiration,
    Specs,
    DateInstalled,
    NumberOfParts,
    Notes,
    Count
};
} // namespace Part

// The number of values a record of `kind` holds.
int count(Kind kind);
// The value at `position` is a truth value (#TRUE# / #FALSE#): the vehicle's option buttons.
bool isTruth(Kind kind, int position);
// The value at `position` may hold line breaks (the Notes boxes).
bool isMultiLine(Kind kind, int position);
// The captions of the values, in record order (RecordCaptions).
const QStringList& captions(Kind kind);

} // namespace RecordLayout
