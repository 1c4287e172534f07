#pragma once

#include <QString>
#include <QVariant>

// Values shared between the windows of one run. Nothing here is persisted.
namespace modGlobalVars {

// Page that the help browser opens when it is loaded.
extern QString CurrentAddress;
// Working folder at start-up; file dialogs and file steps change back to it.
extern QString StartDir;
// The two login options as last read or written.
extern QString RememberFlag;
extern QVariant SkipLoginFlag;
// The preferences dialog's check boxes when it was last opened, for its Cancel.
extern QVariant SavedSkipLogin;
extern QVariant SavedRemember;
extern int SavedChangeLogin;

// Title of message boxes that carry none of their own ("Venbry's Gearbook" or "Linksmith").
extern QString ApplicationTitle;

// Changes the process's working folder back to StartDir (when one was recorded).
void RestoreStartDir();

} // namespace modGlobalVars
