#pragma once

#include "support/StoreFiles.h"
#include "support/TempProgramFolder.h"
#include "support/TestSupport.h"

#include "app/AppContext.h"
#include "core/AtomicWrite.h"
#include "store/StoreActivity.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>

namespace windowtest {

// The program folder of one test; the windows still open are closed and the process-wide seams
// put back when it goes.
struct ProgramFolder : TempProgramFolder {
    ~ProgramFolder()
    {
        closeAllWindows();
        AtomicWrite::setFaultHook({});
        StoreActivity::setEventPump({});
    }

    // The files of the folder that hold a store's plaintext (its list section header).
    QStringList plaintextFiles() const { return testsupport::filesHolding(appContext().AppPath, "[Main]"); }

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
