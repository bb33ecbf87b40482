#pragma once

#include "support/FindControl.h"
#include "support/ProgramFolder.h"
#include "support/StoreFiles.h"
#include "support/TestSupport.h"

#include "ui/AppWindows.h"
#include "ui/login/frmLogin.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWidget>

// What the window tests do the way a user does: keys, mouse presses, a login through the window.

// A key press or a mouse press delivered the way the event loop delivers them. Unlike QTest's
// clicks no release follows, so a window that closes on the press is never touched again, and
// a window released with deleteLater goes only when the test lets it.
inline void pressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, key == Qt::Key_Return ? QStringLiteral("\r") : QString());
    QApplication::sendEvent(widget, &press);
}

inline void pressMouse(QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                       QPoint pos = QPoint(3, 3))
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, button,
                      modifiers);
    QApplication::sendEvent(widget, &press);
}

// The entries of a drop-down list, top to bottom.
inline QStringList itemsOf(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// Types the name and the password into the login window.
inline void typeLogin(frmLogin& login, const QString& user, const QString& password)
{
    control<QComboBox>(login, QStringLiteral("Combo1"))->setEditText(user);
    control<QLineEdit>(login, QStringLiteral("txtLoginPassWord"))->setText(password);
}

// Logs in through the login window the way a user does: name, password, Enter.
inline frmMain* loginThroughWindow(AppWindows& windows, const QString& user, const QString& password)
{
    frmLogin& login = windows.showLogin();
    typeLogin(login, user, password);
    login.login();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    frmMain* main = windows.loadedMainWindow();
    if (!main || !main->isVisible())
        return nullptr;
    return main;
}

namespace windowtest {

// The one visible top-level window of type T, or nullptr.
template <typename T>
T* visibleWindow()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible())
            return t;
    }
    return nullptr;
}

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

using testsupport::crlf;
using testsupport::encipherTo;
using testsupport::isReadOnly;
using testsupport::opensWith;
using testsupport::plainOf;

} // namespace windowtest
