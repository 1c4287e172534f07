#pragma once

#include <QString>
#include <QtPlugin>

class HelpView;
class QWidget;

// What the optional web-engine module (GearbookBrowser.so) offers the help
// browser: a page view that can show any address, web pages included. The
// module alone links QtWebEngine, so neither the program's start nor the help
// window for our own pages loads the browser engine; without the module, web
// addresses open in the desktop's web browser.
class HelpBrowserInterface {
public:
    virtual ~HelpBrowserInterface() = default;
    // A new web view, a child of `parent`, owned by the caller.
    virtual HelpView* createView(QWidget* parent) = 0;
};

#define HelpBrowserInterface_iid "example.venbry.Gearbook.HelpBrowser/2.0"
Q_DECLARE_INTERFACE(HelpBrowserInterface, HelpBrowserInterface_iid)

// The vendor's home page, the target of "Go To" > www.venbry.example and of the login window's vendor commands.
inline constexpr char VendorHomePageAddress[] = "https://www.venbry.example/";
