#include "common/RecordLayout.h"

#include "common/RecordCaptions.h"

namespace RecordLayout {

int count(Kind kind)
{
    switch (kind) {
    case Kind::Vehicle:
        return Vehicle::Count;
    case Kind::Maintenance:
        return Maintenance::Count;
    case Kind::Part:
        return Part::Count;
    }
    return 0;
}

bool isTruth(Kind kind, int position)
{
    return kind == Kind::Vehicle && (position == Vehicle::Automatic || position == Vehicle::Manual ||
                                     position == Vehicle::New || position == Vehicle::Used);
}

bool isMultiLine(Kind kind, int position)
{
    // Notes is every record's last value; a part's size and specs box is one of many lines too.
    return position == count(kind) - 1 || (kind == Kind::Part && position == Part::Specs);
}

const QStringList& captions(Kind kind)
{
    switch (kind) {
    case Kind::Vehicle:
        return RecordCaptions::vehicle();
    case Kind::Maintenance:
        return RecordCaptions::maintenance();
    case Kind::Part:
        break;
    }
    return RecordCaptions::parts();
}

} // namespace RecordLayout
