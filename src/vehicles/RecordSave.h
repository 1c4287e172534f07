#pragma once

#include "FieldMerge.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QStringListModel;
class QWidget;

// Saving and reloading the records and lists a page shows, field by field
// (FieldMerge), when another computer or program may change them meanwhile.

// The caption the user knows a field by: the text of the label whose buddy it
// is (without its colon), or a button's own text; its object name when it has neither.
QString fieldCaption(const QWidget* field);
QList<FieldMerge::Field> mergeFields(const QList<QWidget*>& fields, const QList<bool>& truth = {});

// Reads the record as it is on disk now, writes the screen's changes over it,
// tells the user of values from elsewhere that were replaced, and reports a
// failure. A record that cannot be read is set aside first. The values
// written (the page shows them), or nothing when nothing was written.
std::optional<QStringList> saveFieldWise(FieldMerge& record, const QString& path, const QStringList& screen,
                                         const QString& name);

// The record on disk when it differs from what was loaded: the values the
// page shows now (FieldMerge::reload). Nothing when it is the same (our own
// save), missing or cannot be read; nothing is set aside or told here.
std::optional<QStringList> reloadChanged(FieldMerge& record, const QString& path, const QStringList& screen);

// Writes the list file `path` changed by the one name over the list as it is
// on disk now (the shown list when there is none), and shows the names found
// there that `shown` lacked. False when it was not written (told).
bool saveListChange(const QString& path, QStringListModel* shown, const QString& name, bool added);

// The list file changed on disk: `shown` gets the names added there and loses
// those gone, except `keep` (the one on screen). False when nothing changed.
bool reloadList(const QString& path, QStringListModel* shown, const QString& keep);

// Tells the user, once per file in a run, that two records share one file
// and are therefore never saved, and how to separate them.
void tellSharedOnce(const QString& path, const QString& mine, const QString& other, const QString& what);
