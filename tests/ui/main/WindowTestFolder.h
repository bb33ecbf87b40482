#pragma once

#include "support/TempProgramFolder.h"
#include "support/TestSupport.h"

#include "app/AppContext.h"
#include "store/StoreActivity.h"
#include "support/RecordedSounds.h"
#include "support/ScriptedMessages.h"
#include "ui/AppWindows.h"
#include "ui/login/frmLogin.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest.h>

// A program folder for one window test (the stores, the settings and the working copy live there)
// with the default title and full height, messages that never block, recorded sounds, and store
// steps that let events in as the running program does.
class WindowTestFolder : public TempProgramFolder {
public:
    WindowTestFolder()
    {
        AppContext& app = appContext();
        app.AppTitle = AppContext::kAppTitle;
        app.CompactMode = 0;
        StoreActivity::setEventPump([] { QCoreApplication::processEvents(); });
    }

    ~WindowTestFolder()
    {
        StoreActivity::setEventPump({});
        // Windows closed by a test release themselves later; let that happen before the folder goes.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void copyFixture(const QString& fixture, const QString& as = QString()) const
    {
        const QString target = path(as.isEmpty() ? fixture : as);
        ASSERT_TRUE(QFile::copy(testsupport::fixturePath(fixture), target)) << target.toStdString();
    }

    QString setting(const QString& key) const
    {
        // Read straight from the file so the test does not depend on the INI code under test elsewhere.
        const QStringList lines = QString::fromLatin1(testsupport::readAll(appContext().SettingsFile)).split(QStringLiteral("\r\n"));
        for (const QString& line : lines) {
            if (line.startsWith(key + QLatin1Char('='), Qt::CaseInsensitive))
                return line.mid(key.size() + 1);
        }
        return QStringLiteral("<missing>");
    }

    void writeSettings(const QByteArray& text) const { testsupport::writeAll(appContext().SettingsFile, text); }

    ScriptedMessages messages;
    RecordedSounds sounds;
};

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
    login.Combo1->setEditText(user);
    login.txtLoginPassWord->setText(password);
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
