#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// The names sync tools give the second version of a file changed on two
// computers before they synced ("conflict copies"), for record files (.gbx).
namespace ConflictName {

struct Match {
    QString record; // the name of the file it is a version of ("Car.gbx")
    QString tool;   // the sync tool whose naming it follows
};

// The record a file name is a conflict copy of, by the naming rules of the
// common sync tools; nothing when it follows none. Only the name is looked
// at: whether the file is a record of its own (a name of a list may look the
// same) is for the caller to decide.
std::optional<Match> parse(const QString& fileName);

// False for a name that cannot be a conflict copy, without decoding it: the
// cheap first look at each name of a large folder.
bool mayBe(QByteArrayView fileName);

} // namespace ConflictName
