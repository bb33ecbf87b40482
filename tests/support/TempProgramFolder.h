#pragma once

#include "support/TestSupport.h"

#include "app/AppContext.h"
#include "ui/ProgramExit.h"

#include <QDir>
#include <QList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A program folder of its own for one window test: AppPath, the temporary folder, the settings, the
// back image and the sound files point into a temporary folder, and ending the program records the
// status instead of ending the test. Both are put back when the folder goes.
class TempProgramFolder {
public:
    TempProgramFolder() : m_previousContext(appContext())
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
        m_previousExit = ProgramExit::setAction([this](int status) { exits.append(status); });
    }

    ~TempProgramFolder()
    {
        ProgramExit::setAction(m_previousExit);
        appContext() = m_previousContext;
    }

    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList files() const { return testsupport::filesIn(m_dir.path()); }

    // The statuses the program would have ended with.
    QList<int> exits;

private:
    QTemporaryDir m_dir;
    AppContext m_previousContext;
    ProgramExit::Action m_previousExit;
};
