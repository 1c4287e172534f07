#include "import/ImportCommand.h"

#include "common/Console.h"
#include "common/DataFolder.h"
#include "import/Import.h"
#include "import/ImportJournal.h"

#include <QDir>
#include <QFileInfo>

namespace ImportCommand {

namespace {

using Console::print;

QString holderText(const DataFolder::LockHolder& h)
{
    QString who = h.program.isEmpty() ? QStringLiteral("another copy of Gearbook") : h.program;
    if (h.pid > 0)
        who += QStringLiteral(" (process %1)").arg(h.pid);
    if (!h.host.isEmpty())
        who += QStringLiteral(" on %1").arg(h.host);
    return who;
}

QString mappingText(const Import::Source& s)
{
    QStringList parts;
    for (qsizetype c = 0; c < s.mapping.columns.size(); ++c)
        parts << QStringLiteral("%1 -> %2")
                     .arg(Import::printable(s.table.headers.value(c)),
                          ImportMapping::caption(s.mapping.kind, s.mapping.columns[c]));
    return QStringLiteral("%1 (%2, separated by \"%3\") read as %4; columns: %5")
        .arg(QDir::toNativeSeparators(s.file), s.table.encoding,
             s.table.separator == u'\t' ? QStringLiteral("tab") : QString(s.table.separator),
             ImportMapping::kindName(s.mapping.kind), parts.join(QStringLiteral(", ")));
}

} // namespace

int run(const Request& request)
{
    DataFolder::Lock lock;
    const DataFolder::Lock::Result locked = lock.take();
    if (locked != DataFolder::Lock::Result::Held) {
        print(stderr, locked == DataFolder::Lock::Result::Failed
                          ? QStringLiteral("Gearbook: the data folder cannot be locked: %1. Nothing has been imported.")
                                .arg(lock.error())
                          : QStringLiteral("Gearbook: the records are in use by %1. Nothing has been imported; "
                                           "please close it first.")
                                .arg(holderText(lock.holder())));
        return 1;
    }
    if (const QString found = lock.takenOverText(); !found.isEmpty())
        print(stderr, QStringLiteral("Gearbook: %1").arg(found));
    // An import killed half way is put back before this one plans anything.
    if (const QString recovered = ImportJournal::recover(); !recovered.isEmpty())
        print(stderr, QStringLiteral("Gearbook: %1").arg(recovered));

    QList<Import::Source> sources;
    for (const QString& file : request.files) {
        CsvTable::Result read = CsvTable::readFile(file);
        if (!read.table) {
            print(stderr, QStringLiteral("Gearbook: \"%1\" cannot be imported. %2")
                              .arg(QDir::toNativeSeparators(file), read.error));
            return 1;
        }
        Import::Source s{file, std::move(*read.table), {}};
        if (auto own = ImportMapping::ownExport(s.table.headers)) {
            s.mapping = *own;
        } else if (auto known = ImportMapping::lubeLogger(s.table.headers); known && !request.kind) {
            s.mapping = *known;
        } else if (!request.kind) {
            print(stderr, QStringLiteral("Gearbook: \"%1\" is not a Gearbook export; say which records it holds "
                                         "with --kind vehicles, --kind maintenance or --kind parts.")
                              .arg(QDir::toNativeSeparators(file)));
            return 2;
        } else {
            s.mapping = ImportMapping::prefilled(*request.kind, s.table.headers);
        }
        s.mapping.vehicle = request.vehicle;
        if (s.mapping.kind != ImportMapping::Kind::Vehicles && s.mapping.vehicle.isEmpty() &&
            !s.mapping.columns.contains(ImportMapping::Vehicle)) {
            print(stderr, QStringLiteral("Gearbook: \"%1\" names no vehicle; say whose records these are with "
                                         "--vehicle NAME.")
                              .arg(QDir::toNativeSeparators(file)));
            return 2;
        }
        print(stdout, mappingText(s));
        sources << std::move(s);
    }
    const auto existing = request.fillEmpty ? Import::Existing::FillEmpty : Import::Existing::Skip;
    if (!request.write) {
        const Import::Preview preview = Import::preview(sources, existing);
        if (!preview.error.isEmpty()) {
            print(stderr, QStringLiteral("Gearbook: %1").arg(preview.error));
            return 1;
        }
        print(stdout, preview.text());
        print(stdout, QStringLiteral("Nothing has been written; add --yes to import."));
        return 0;
    }
    const Import::Outcome outcome = Import::run(sources, existing);
    if (!outcome) {
        print(stderr, QStringLiteral("Gearbook: %1").arg(outcome.error));
        return 1;
    }
    print(stdout, outcome.done.text());
    print(stdout, Import::outcomeText(outcome));
    return 0;
}

void recoverUnlessInUse()
{
    if (!QFileInfo::exists(ImportJournal::path()) && !QFileInfo(ImportJournal::path()).isSymLink())
        return;
    DataFolder::Lock lock;
    if (lock.take() != DataFolder::Lock::Result::Held)
        return;
    if (const QString recovered = ImportJournal::recover(); !recovered.isEmpty())
        print(stderr, QStringLiteral("Gearbook: %1").arg(recovered));
}

} // namespace ImportCommand
