#include "due/RemindSettings.h"

#include "common/AppId.h"

namespace RemindSettings {

std::unique_ptr<QSettings> open()
{
    return std::make_unique<QSettings>(AppId::settingsFile(), QSettings::IniFormat);
}

int spanDays()
{
    bool ok = false;
    const int days = open()->value(SpanKey, DefaultSpan).toInt(&ok);
    return ok && days >= 0 ? days : DefaultSpan;
}

QTime remindAt()
{
    const QTime at = QTime::fromString(open()->value(RemindTimeKey).toString(), QStringLiteral("HH:mm"));
    return at.isValid() ? at : QTime(9, 0);
}

} // namespace RemindSettings
