#pragma once

#include "ui/main/MainWindowFixture.h"

#include <QByteArray>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

// What a lock leaves behind when nothing was changed before it: exactly the logoff's end. The login
// window is up, the main window gone, the key forgotten, the store file untouched and read-only, no
// plaintext anywhere, the place written.
struct StoreBefore {
    QString path;
    QByteArray bytes;
    QStringList files;

    static StoreBefore of(MainWindowFixture& f)
    {
        const QString path = f.session().UserFile();
        return {path, testsupport::readAll(path), f.folder.files()};
    }
};

inline void expectLockedAsLogoff(MainWindowFixture& f, const StoreBefore& before)
{
    EXPECT_EQ(f.windows->loadedMainWindow(), nullptr);
    ASSERT_NE(f.windows->loginWindow(), nullptr);
    EXPECT_TRUE(f.windows->loginWindow()->isVisible());
    EXPECT_FALSE(f.windows->loggedIn());
    EXPECT_TRUE(f.session().MasterPassword().isEmpty());
    EXPECT_EQ(testsupport::readAll(before.path), before.bytes);
    EXPECT_TRUE(testsupport::isReadOnly(before.path));
    EXPECT_TRUE(f.folder.plaintextFiles().isEmpty());
    EXPECT_NE(f.folder.setting(QStringLiteral("Top")), QStringLiteral("<missing>"));
    EXPECT_NE(f.folder.setting(QStringLiteral("Left")), QStringLiteral("<missing>"));
    // Only the settings may have been added: no backup, no working copy, no second store.
    QStringList files = f.folder.files();
    files.removeAll(QStringLiteral("Keywarden.ini"));
    QStringList expected = before.files;
    expected.removeAll(QStringLiteral("Keywarden.ini"));
    EXPECT_EQ(files, expected);
}

// The store as a fresh login under "abcd" finds it: the names it lists ("<does not open>" when it
// does not open) and the entry of `name`.
inline QStringList reopened(const QString& name = {}, AccountEntry* entry = nullptr)
{
    StoreSession check;
    check.begin(appContext().AppPath, QStringLiteral("tester"), QStringLiteral("abcd"));
    if (!check.unlock().ok())
        return {QStringLiteral("<does not open>")};
    if (entry && !check.readEntry(name, *entry).ok())
        ADD_FAILURE() << "cannot read " << name.toStdString();
    return check.accounts().items();
}
