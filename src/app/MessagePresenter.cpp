#include "app/MessagePresenter.h"

#include "app/AppContext.h"

namespace {

MessagePresenter*& current()
{
    static MessagePresenter* presenter = nullptr;
    return presenter;
}

QString caption(const QString& title)
{
    return title.isEmpty() ? appContext().AppTitle : title;
}

} // namespace

MessagePresenter* setMessagePresenter(MessagePresenter* presenter)
{
    MessagePresenter* previous = current();
    current() = presenter;
    return previous;
}

MessagePresenter* messagePresenter()
{
    return current();
}

void ShowMessage(const QString& prompt, qint16 kind, const QString& title)
{
    if (MessagePresenter* presenter = current())
        presenter->showMessage(caption(title), prompt, kind);
}

bool AskYesNo(const QString& prompt, bool questionIcon, const QString& title)
{
    MessagePresenter* presenter = current();
    return presenter && presenter->askYesNo(caption(title), prompt, questionIcon);
}
