#pragma once

#include "support/StoreFiles.h"
#include "support/TestSupport.h"

#include "app/AppContext.h"
#include "app/AtomicWrite.h"
#include "store/StoreActivity.h"
#include "ui/ProgramExit.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

namespace windowtest {

// A program folder of its own: AppPath, the working copy and the sound files point into it for
// the length of one test, and the process-wide seams are put back afterwards.
struct ProgramFolder {
    QTemporaryDir dir;
    AppContext saved = appContext();
    ProgramExit::Action savedExit;
    QList<int> exits;

    ProgramFolder()
    {
        AppContext& ctx = appContext();
        ctx.AppPath = QDir::toNativeSeparators(dir.path() + QLatin1Char('/'));
        ctx.TempPath = ctx.AppPath;
        ctx.WorkingCopyFile = path(QStringLiteral("pstmp.dat"));
        ctx.BackImageFile = path(QStringLiteral("Back.bmp"));
        ctx.LoginSoundFile = path(QStringLiteral("Login.wav"));
        ctx.LogoutSoundFile = path(QStringLiteral("Logout.wav"));
        ctx.SettingsFile = path(QStringLiteral("Keywarden.ini"));
        savedExit = ProgramExit::setAction([this](int status) { exits.append(status); });
    }
    ~ProgramFolder()
    {
        closeAllWindows();
        AtomicWrite::setFaultHook({});
        StoreActivity::setEventPump({});
        ProgramExit::setAction(savedExit);
        appContext() = saved;
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString path(const QString& name) const { return dir.filePath(name); }
    QString workingCopy() const { return appContext().WorkingCopyFile; }

    QString copyFixture(const QString& name, const QString& as = {}) const
    {
        const QString target = path(as.isEmpty() ? name : as);
        testsupport::writeAll(target, testsupport::readAll(testsupport::fixturePath(name)));
        return target;
    }
    // The two cue files exist, so PlaySoundFile hands them to the player.
    void addSoundFiles() const
    {
        testsupport::writeAll(appContext().LoginSoundFile, "RIFF");
        testsupport::writeAll(appContext().LogoutSoundFile, "RIFF");
    }
    QStringList files() const
    {
        return testsupport::filesIn(dir.path());
    }

    static void closeAllWindows()
    {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* w : windows)
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

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
