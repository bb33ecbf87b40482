#include "ui/ProgramExit.h"

#include "ui/ReplaceableAction.h"

#include <QCoreApplication>

namespace {

ReplaceableAction<void(int)>& exitAction()
{
    static ReplaceableAction<void(int)> action([](int status) { QCoreApplication::exit(status); });
    return action;
}

} // namespace

namespace ProgramExit {

void endProgram(int status)
{
    exitAction()(status);
}

Action setAction(Action action)
{
    return exitAction().replace(std::move(action));
}

} // namespace ProgramExit
