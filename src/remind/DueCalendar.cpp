#include "remind/DueCalendar.h"

#include "common/SafeFile.h"
#include "remind/LibIcal.h"

#include <QCryptographicHash>
#include <QLocale>

#include <memory>

namespace DueCalendar {

namespace {

constexpr unsigned AlarmDaysBefore = 7;

icaltimetype dayOf(QDate date)
{
    icaltimetype t = ICALTIMETYPE_INITIALIZER;
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    t.is_date = 1;
    return t;
}

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

} // namespace

QString uid(const QString& vehicle, const QString& entry)
{
    // The names alone: the same entry exported again is the same event.
    const QByteArray key = vehicle.toUtf8() + '\0' + entry.toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32)) +
           QStringLiteral("@gearbook.venbry.example");
}

QList<Event> events(const DueScan::Result& result)
{
    QList<Event> out;
    for (const DueScan::Planned& p : result.planned) {
        const bool estimated = !p.date && p.estimate;
        if (!p.date && !estimated)
            continue;
        QStringList description;
        if (estimated)
            description << QStringLiteral("Estimated from the vehicle's own mileage history: next mileage %1 %2.")
                               .arg(p.nextMileage.trimmed(), DueScan::estimateText(*p.estimate));
        else if (!p.nextMileage.trimmed().isEmpty())
            description << QStringLiteral("Next mileage: %1").arg(p.nextMileage.trimmed());
        if (!p.shop.trimmed().isEmpty())
            description << QStringLiteral("Shop: %1").arg(p.shop.trimmed());
        if (!p.notes.trimmed().isEmpty())
            description << QStringLiteral("Notes: %1").arg(p.notes.trimmed());
        out.append({uid(p.vehicle, p.entry), QStringLiteral("%1 — %2").arg(p.entry, p.vehicle),
                    estimated ? *p.estimate : *p.date, estimated, description.join(QLatin1Char('\n'))});
    }
    return out;
}

std::optional<QByteArray> calendar(const QList<Event>& events, const QDateTime& stamp, QString* error)
{
    if (const auto problem = LibIcal::load()) {
        *error = *problem;
        return std::nullopt;
    }
    const LibIcal::Functions& ical = LibIcal::lib();
    const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> root(
        ical.icalcomponent_new(ICAL_VCALENDAR_COMPONENT), ical.icalcomponent_free);
    ical.icalcomponent_add_property(root.get(), ical.icalproperty_new_version("2.0"));
    ical.icalcomponent_add_property(root.get(), ical.icalproperty_new_prodid("-//Venbry Software//Gearbook//EN"));
    ical.icalcomponent_add_property(root.get(), ical.icalproperty_new_calscale("GREGORIAN"));

    const QDateTime utc = stamp.toUTC();
    icaltimetype now = ICALTIMETYPE_INITIALIZER;
    now.year = utc.date().year();
    now.month = utc.date().month();
    now.day = utc.date().day();
    now.hour = utc.time().hour();
    now.minute = utc.time().minute();
    now.second = utc.time().second();
    now.zone = ical.icaltimezone_get_utc_timezone();

    for (const Event& e : events) {
        icalcomponent* event = ical.icalcomponent_new(ICAL_VEVENT_COMPONENT);
        ical.icalcomponent_add_property(event, ical.icalproperty_new_uid(utf8(e.uid).constData()));
        ical.icalcomponent_add_property(event, ical.icalproperty_new_dtstamp(now));
        ical.icalcomponent_add_property(event, ical.icalproperty_new_dtstart(dayOf(e.day)));
        ical.icalcomponent_add_property(event, ical.icalproperty_new_dtend(dayOf(e.day.addDays(1))));
        ical.icalcomponent_add_property(event, ical.icalproperty_new_summary(utf8(e.title).constData()));
        if (!e.description.isEmpty())
            ical.icalcomponent_add_property(event, ical.icalproperty_new_description(utf8(e.description).constData()));
        ical.icalcomponent_add_property(
            event, ical.icalproperty_new_status(e.tentative ? ICAL_STATUS_TENTATIVE : ICAL_STATUS_CONFIRMED));
        // A reminder to plan for, not time taken away from the day.
        ical.icalcomponent_add_property(event, ical.icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));

        icalcomponent* alarm = ical.icalcomponent_new(ICAL_VALARM_COMPONENT);
        ical.icalcomponent_add_property(alarm, ical.icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icaltriggertype trigger{ICALTIMETYPE_INITIALIZER, ICALDURATIONTYPE_INITIALIZER};
        trigger.duration.is_neg = 1;
        trigger.duration.days = AlarmDaysBefore;
        ical.icalcomponent_add_property(alarm, ical.icalproperty_new_trigger(trigger));
        ical.icalcomponent_add_property(alarm, ical.icalproperty_new_description(utf8(e.title).constData()));
        ical.icalcomponent_add_component(event, alarm);
        ical.icalcomponent_add_component(root.get(), event);
    }
    char* text = ical.icalcomponent_as_ical_string_r(root.get());
    if (!text) {
        *error = QStringLiteral("The calendar library could not write the calendar.");
        return std::nullopt;
    }
    QByteArray bytes(text);
    ical.icalmemory_free_buffer(text);
    return bytes;
}

QString withExtension(const QString& path)
{
    return path.endsWith(QLatin1String(".ics"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".ics");
}

Outcome exportTo(const QString& file, QDate today)
{
    Outcome outcome;
    const DueScan::Result result = DueScan::scan(QLocale(), today);
    const QList<Event> list = events(result);
    const auto bytes = calendar(list, QDateTime::currentDateTimeUtc(), &outcome.error);
    if (!bytes)
        return outcome;
    const WriteResult written = writeFileSafely(file, *bytes, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!written) {
        outcome.error = QStringLiteral("\"%1\" could not be written: %2").arg(file, written.error);
        return outcome;
    }
    outcome.ok = true;
    outcome.events = list.size();
    outcome.unreadable = result.unreadable;
    return outcome;
}

} // namespace DueCalendar
