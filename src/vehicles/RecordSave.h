#pragma once

#include "common/FileClaims.h"
#include "common/RecordStore.h"
#include "sync/FieldMerge.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QStringListModel;
class QWidget;

// Saving and reloading the records and lists a page shows, field by field
// (FieldMerge), when another computer or program may change them meanwhile.

// The caption the user knows a field by: the text of the label whose buddy it
// is (without its colon), or a button's own text; its object name when it has neither.
QString fieldCaption(const QWidget* field);
QList<FieldMerge::Field> mergeFields(const QList<QWidget*>& fields, const QList<bool>& truth = {});

// Reads the record `mine` as it is on disk now, writes the screen's changes
// over it through `store`, tells the user of values from elsewhere that were
// replaced, and reports a failure. A record that cannot be read is set aside
// first. Nothing is written when the disk already holds those values; a
// change the store refuses (another record's file too) is told, and the
// screen's values stay unsaved (and are returned). The values written (the
// page shows them), or nothing when the save failed.
std::optional<QStringList> saveFieldWise(FieldMerge& record, RecordStore& store, const FileClaims::Claim& mine,
                                         const QStringList& screen, const QString& name);

// The record on disk when it differs from what was loaded: the values the
// page shows now (FieldMerge::reload). Nothing when it is the same (our own
// save), missing or cannot be read; nothing is set aside or told here.
std::optional<QStringList> reloadChanged(FieldMerge& record, const QString& path, const QStringList& screen);

// Writes the list `mine` changed by the one name over the list as it is on
// disk now (the shown list when there is none), through `store`, and shows
// the names found there that `shown` lacked. A name added while the list
// could not be written stays pending and goes into the file with the next
// write that succeeds; removing it drops it. Nothing is written when the bytes
// are the disk's. False when it was not written (told).
bool saveListChange(RecordStore& store, const FileClaims::Claim& mine, QStringListModel* shown, const QString& name,
                    bool added);

// The names added to the list file `path` in this run and not yet written.
QStringList pendingNames(const QString& path);
// Forgets them: their list's vehicle is removed.
void forgetPendingNames(const QString& path);

// The list file changed on disk: `shown` gets the names added there and loses
// those gone, except `keep` (the one on screen) and pending names. False when
// nothing changed.
bool reloadList(const QString& path, QStringListModel* shown, const QString& keep);
