#include "core/Wipe.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <array>

TEST(Wipe, MemoryIsOverwritten)
{
    std::array<char, 8> secret = {'g', 'e', 'h', 'e', 'i', 'm', '!', '?'};
    Wipe::memory(secret.data(), 6);
    EXPECT_EQ(secret, (std::array<char, 8>{0, 0, 0, 0, 0, 0, '!', '?'}));
}

TEST(Wipe, BuffersAreEmptiedAndSharedCopiesKeepTheirContent)
{
    QByteArray bytes("geheim");
    bytes.detach();
    const QByteArray bytesCopy = bytes;
    Wipe::bytes(bytes);
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_EQ(bytesCopy, QByteArray("geheim"));

    QString text = QStringLiteral("Passwort");
    text.detach();
    const QString textCopy = text;
    Wipe::text(text);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(textCopy, QStringLiteral("Passwort"));

    // A buffer of our own alone: emptied too, and a later copy starts from nothing.
    QString own = QStringLiteral("x").repeated(3);
    Wipe::text(own);
    EXPECT_TRUE(own.isEmpty());
    QByteArray none;
    Wipe::bytes(none);
    EXPECT_TRUE(none.isEmpty());
}

TEST(Wipe, WatcherSeesEachTextBeforeItIsOverwritten)
{
    QStringList seen;
    Wipe::setTextWatcher([&seen](const QString& text) { seen << QString(text.constData(), text.size()); });
    QString secret = QStringLiteral("Passwort");
    secret.detach();
    QString empty;
    Wipe::text(secret);
    Wipe::text(empty);
    Wipe::setTextWatcher({});
    QString later = QStringLiteral("danach");
    Wipe::text(later);
    EXPECT_EQ(seen, QStringList{QStringLiteral("Passwort")});
    EXPECT_TRUE(secret.isEmpty());
    EXPECT_TRUE(later.isEmpty());
}
