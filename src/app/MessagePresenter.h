#pragma once

#include <QString>

// Every notice, warning and question of the program goes through here. The windows install the
// message-box presenter at start-up; tests install ScriptedMessages and never block on a dialog.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // One OK button; kind 1 information icon, 2 exclamation icon, anything else none.
    virtual void showMessage(const QString& title, const QString& prompt, qint16 kind) = 0;
    // Buttons Yes and No; true when Yes was chosen.
    virtual bool askYesNo(const QString& title, const QString& prompt, bool questionIcon) = 0;
};

constexpr qint16 kMessageInformation = 1;
constexpr qint16 kMessageExclamation = 2;

// Not owned. Without a presenter messages go nowhere and every question is answered No, so
// nothing happens that the user did not confirm. Returns the presenter installed before.
MessagePresenter* setMessagePresenter(MessagePresenter* presenter);
MessagePresenter* messagePresenter();

// An empty title shows AppTitle.
void ShowMessage(const QString& prompt, qint16 kind, const QString& title = QString());
bool AskYesNo(const QString& prompt, bool questionIcon, const QString& title = QString());
