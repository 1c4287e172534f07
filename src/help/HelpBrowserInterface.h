#pragma once

#include <QString>
#include <QtPlugin>

// What the help browser module offers the program. The browser (and with it
// QtWebEngine) lives in a module of its own, so the program does not load the
// browser engine's libraries at every start, only at the first help command.
class HelpBrowserInterface {
public:
    virtual ~HelpBrowserInterface() = default;
    // Shows the browser and brings it forward; a browser not yet loaded navigates to `address`,
    // one already loaded keeps its page.
    virtual void showAddress(const QString& address) = 0;
};

#define HelpBrowserInterface_iid "example.venbry.Gearbook.HelpBrowser/1.0"
Q_DECLARE_INTERFACE(HelpBrowserInterface, HelpBrowserInterface_iid)

// The vendor's home page, the target of "Go To" > www.venbry.example and of the login window's vendor commands.
inline constexpr char VendorHomePageAddress[] = "https://www.venbry.example/";
