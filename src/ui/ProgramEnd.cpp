#include "ui/ProgramEnd.h"

#include <QCoreApplication>

namespace ProgramEnd {

namespace {
std::function<void()>& hook()
{
    static std::function<void()> h;
    return h;
}
} // namespace

void quit()
{
    if (hook())
        hook()();
    else
        QCoreApplication::quit();
}

void setHook(std::function<void()> h)
{
    hook() = std::move(h);
}

} // namespace ProgramEnd
