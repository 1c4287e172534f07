#pragma once

#include "import/ImportMapping.h"

#include <QString>
#include <QStringList>

#include <optional>

// What `--import FILE.csv... [--kind vehicles|maintenance|parts] [--vehicle
// NAME] [--yes] [--fill-empty]` does, once src/cli has read the arguments:
// records brought in from spreadsheet files without a window.
namespace ImportCommand {

struct Request {
    QStringList files;
    std::optional<ImportMapping::Kind> kind; // --kind, for files that are not Gearbook's export
    QString vehicle;                         // --vehicle
    bool write = false;                      // --yes
    bool fillEmpty = false;                  // --fill-empty
};

// Takes the data folder's lock, prints the preview and, with `write`,
// imports; returns the exit status (0 only when everything asked for was
// done; 2 for files it cannot use as asked).
int run(const Request& request);

// Any other command: an import killed half way is put back first, with the
// lock unless the records are in use, and told on standard error.
void recoverUnlessInUse();

} // namespace ImportCommand
