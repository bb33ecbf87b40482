#pragma once

#include "app/MessagePresenter.h"

// Shows the program's messages and questions as modal message boxes over the active window, with
// German button texts whatever translations are installed.
class MessageBoxBackend : public MessagePresenter {
public:
    void showMessage(const QString& title, const QString& prompt, qint16 kind) override;
    bool askYesNo(const QString& title, const QString& prompt, bool questionIcon) override;
};
