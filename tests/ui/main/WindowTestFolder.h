#pragma once

#include "support/TestSupport.h"

#include "app/AppContext.h"
#include "app/RecordedSounds.h"
#include "app/ScriptedMessages.h"
#include "store/StoreActivity.h"
#include "ui/ProgramExit.h"
#include "ui/login/frmLogin.h"
#include "ui/main/AppWindows.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

// A program folder for one window test: a temporary folder that AppContext points into (the stores,
// the settings and the working copy live there), messages that never block, recorded sounds, and an
// exit action that records the status instead of ending the test.
class WindowTestFolder {
public:
    WindowTestFolder() : m_previousContext(appContext())
    {
        if (!m_dir.isValid())
            ADD_FAILURE() << "no temporary folder";
        AppContext& app = appContext();
        app.AppPath = QDir(m_dir.path()).absolutePath() + QLatin1Char('/');
        app.TempPath = app.AppPath;
        app.AppTitle = AppContext::kAppTitle;
        app.SettingsFile = app.AppPath + QStringLiteral("Keywarden.ini");
        app.WorkingCopyFile = app.AppPath + QStringLiteral("pstmp.dat");
        app.BackImageFile = app.AppPath + QStringLiteral("Back.bmp");
        app.LoginSoundFile = app.AppPath + QStringLiteral("Login.wav");
        app.LogoutSoundFile = app.AppPath + QStringLiteral("Logout.wav");
        app.CompactMode = 0;
        m_previousExit = ProgramExit::setAction([this](int status) { exits.append(status); });
        StoreActivity::setEventPump([] { QCoreApplication::processEvents(); });
    }

    ~WindowTestFolder()
    {
        StoreActivity::setEventPump({});
        ProgramExit::setAction(m_previousExit);
        // Windows closed by a test release themselves later; let that happen before the folder goes.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        appContext() = m_previousContext;
    }

    QString path(const QString& name) const { return appContext().AppPath + name; }

    void copyFixture(const QString& fixture, const QString& as = QString()) const
    {
        const QString target = path(as.isEmpty() ? fixture : as);
        ASSERT_TRUE(QFile::copy(testsupport::fixturePath(fixture), target)) << target.toStdString();
    }

    QStringList files() const
    {
        return testsupport::filesIn(appContext().AppPath);
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
    QList<int> exits;

private:
    QTemporaryDir m_dir;
    AppContext m_previousContext;
    ProgramExit::Action m_previousExit;
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
