#pragma once

#include "support/WindowTesting.h"
#include "support/FindControl.h"

#include "store/AccountEntry.h"
#include "store/StoreSession.h"

#include "ui/common/MarlettButton.h"
#include "ui/common/PictureBox.h"
#include "ui/main/ClipboardCountdown.h"

#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <memory>

// One account of a test store.
struct TestAccount {
    QString name;
    AccountEntry entry;
};

// A logged-in main window over a store of the given accounts: a new user is created through the
// login window, then the accounts are added through the store and the list is filled again.
class MainWindowFixture {
public:
    explicit MainWindowFixture(const QList<TestAccount>& accounts, qint16 compactMode = 0)
    {
        appContext().CompactMode = compactMode;
        windows = std::make_unique<AppWindows>();
        main = loginThroughWindow(*windows, QStringLiteral("tester"), QStringLiteral("abcd"));
        if (!main) {
            ADD_FAILURE() << "login failed";
            return;
        }
        for (const TestAccount& account : accounts) {
            const StoreResult result = session().addEntry(account.name, account.entry);
            if (!result)
                ADD_FAILURE() << result.message.toStdString();
        }
        // Read anew, as a login would find the store: nothing is due at the lock.
        const StoreResult reread = session().unlock();
        if (!reread)
            ADD_FAILURE() << reread.message.toStdString();
        main->LoadAccountList();
        folder.messages.clear();
    }

    ~MainWindowFixture()
    {
        windows.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    StoreSession& session() { return windows->session(); }

    QStringList listed() const { return itemsOf(control<QComboBox>(main, QStringLiteral("cboAccount"))); }

    AccountEntry stored(const QString& name)
    {
        AccountEntry entry;
        const StoreResult result = session().readEntry(name, entry);
        if (!result)
            ADD_FAILURE() << result.message.toStdString();
        return entry;
    }

    // Chooses an account the way the mouse does in the drop-down list.
    void choose(const QString& name)
    {
        const int index = control<QComboBox>(main, QStringLiteral("cboAccount"))->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        ASSERT_GE(index, 0) << name.toStdString();
        control<QComboBox>(main, QStringLiteral("cboAccount"))->setCurrentIndex(index);
        emit control<QComboBox>(main, QStringLiteral("cboAccount"))->activated(index);
    }

    QString focused() const
    {
        QWidget* widget = main->focusWidget();
        return widget ? widget->objectName() : QStringLiteral("<none>");
    }

    ProgramFolder folder;
    std::unique_ptr<AppWindows> windows;
    frmMain* main = nullptr;
};

inline TestAccount account(const char* name, const char* user, const char* pass, const char* web = "",
                           const char* comment = "")
{
    return TestAccount{QString::fromUtf8(name),
                       AccountEntry{QString::fromUtf8(user), QString::fromUtf8(pass), QString::fromUtf8(web),
                                    QString::fromUtf8(comment)}};
}
