#pragma once

class frmAutoMain;

// File > "Export Due Dates...": the due dates saved as an iCalendar file
// (src/remind), added to the main window's File menu after "Vehicle Report...".
namespace DueDatesMenu {

// Adds the entry once to `main`'s File menu.
void addTo(frmAutoMain* main);
// What the entry does: the save dialog, the export and its messages.
void exportDueDates();

} // namespace DueDatesMenu
