#include "ui/ProgramExit.h"

#include <QCoreApplication>

namespace {

ProgramExit::Action& installedAction()
{
    static ProgramExit::Action action;
    return action;
}

} // namespace

namespace ProgramExit {

void endProgram(int status)
{
    if (installedAction()) {
        installedAction()(status);
        return;
    }
    QCoreApplication::exit(status);
}

Action setAction(Action action)
{
    Action previous = std::move(installedAction());
    installedAction() = std::move(action);
    return previous;
}

} // namespace ProgramExit
