#pragma once

#include "support/RecordedSounds.h"
#include "support/ScriptedConfirmations.h"
#include "support/ScriptedMessages.h"
#include "support/TestSupport.h"

#include "app/AppContext.h"
#include "core/AtomicWrite.h"
#include "store/StoreActivity.h"
#include "ui/ProgramExit.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

// A program folder of its own for one window test: AppPath, the temporary folder, the settings, the
// back image and the sound files point into a temporary folder, with the default title and full
// height; messages and the master password confirmation never block, sounds are recorded, and ending the program records the status
// instead of ending the test. With Events::Pumped the store's steps let events in as the running
// program does. Everything is put back, and the windows still open are closed, when it goes.
class ProgramFolder {
public:
    enum class Events { Pumped, Held };

    explicit ProgramFolder(Events events = Events::Pumped) : m_previousContext(appContext())
    {
        if (!m_dir.isValid())
            ADD_FAILURE() << "no temporary folder";
        AppContext& app = appContext();
        app.AppPath = QDir::toNativeSeparators(m_dir.path() + QLatin1Char('/'));
        app.TempPath = app.AppPath;
        app.SettingsFile = path(QStringLiteral("Keywarden.ini"));
        app.BackImageFile = path(QStringLiteral("Back.bmp"));
        app.LoginSoundFile = path(QStringLiteral("Login.wav"));
        app.LogoutSoundFile = path(QStringLiteral("Logout.wav"));
        app.AppTitle = AppContext::kAppTitle;
        app.CompactMode = 0;
        m_previousExit = ProgramExit::setAction([this](int status) { exits.append(status); });
        if (events == Events::Pumped)
            StoreActivity::setEventPump([] { QCoreApplication::processEvents(); });
    }

    ~ProgramFolder()
    {
        closeAllWindows();
        AtomicWrite::setFaultHook({});
        StoreActivity::setEventPump({});
        ProgramExit::setAction(m_previousExit);
        appContext() = m_previousContext;
    }

    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList files() const { return testsupport::filesIn(m_dir.path()); }

    // A fixture store copied into the folder, under its own name or `as`; the copy's path.
    QString copyFixture(const QString& name, const QString& as = {}) const
    {
        const QString target = path(as.isEmpty() ? name : as);
        if (!testsupport::writeAll(target, testsupport::readAll(testsupport::fixturePath(name))))
            ADD_FAILURE() << "cannot copy " << name.toStdString();
        return target;
    }

    // The files of the folder that hold a store's plaintext (its list section header).
    QStringList plaintextFiles() const { return testsupport::filesHolding(appContext().AppPath, "[Main]"); }

    // The two cue files exist, so PlaySoundFile hands them to the player.
    void addSoundFiles() const
    {
        testsupport::writeAll(appContext().LoginSoundFile, "RIFF");
        testsupport::writeAll(appContext().LogoutSoundFile, "RIFF");
    }

    QString setting(const QString& key) const
    {
        // Read straight from the file so the test does not depend on the INI code under test elsewhere.
        const QStringList lines =
            QString::fromLatin1(testsupport::readAll(appContext().SettingsFile)).split(QStringLiteral("\r\n"));
        for (const QString& line : lines) {
            if (line.startsWith(key + QLatin1Char('='), Qt::CaseInsensitive))
                return line.mid(key.size() + 1);
        }
        return QStringLiteral("<missing>");
    }

    void writeSettings(const QByteArray& text) const { testsupport::writeAll(appContext().SettingsFile, text); }

    static void closeAllWindows()
    {
        // Windows closed by a test release themselves later; let that happen before the folder goes.
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* w : windows)
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The statuses the program would have ended with.
    QList<int> exits;
    ScriptedMessages messages;
    ScriptedConfirmations confirmations;
    RecordedSounds sounds;

private:
    QTemporaryDir m_dir;
    AppContext m_previousContext;
    ProgramExit::Action m_previousExit;
};
