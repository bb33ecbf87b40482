#include "support/WindowTesting.h"

#include "store/StoreActivity.h"
#include "store/StoreSession.h"
#include "support/RecordedSounds.h"
#include "support/ScriptedMessages.h"
#include "support/WipedTexts.h"
#include "ui/textmode/frmNotepad.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace windowtest;

namespace {

const QString kKey = QStringLiteral("geheim1");

// The program folder with one user whose store holds `plain`, and the session the login fills
// before it opens text mode.
struct TextModeFolder : ProgramFolder {
    QString dat = path(QStringLiteral("anna.dat"));
    StoreSession session;
    int closedCalls = 0;

    // Text mode's store steps run without letting events in.
    explicit TextModeFolder(const QByteArray& plain = {}, const QString& key = kKey) : ProgramFolder(Events::Held)
    {
        if (plain.isNull())
            copyFixture(QStringLiteral("anna.dat"));
        else
            encipherTo(dat, plain, key);
        QFile::setPermissions(dat, QFileDevice::ReadOwner);
        session.beginFile(dat, kKey);
    }

    QPointer<frmNotepad> open()
    {
        frmNotepad::open(session, [this] { ++closedCalls; });
        return visibleWindow<frmNotepad>();
    }
};

QPlainTextEdit* text1(frmNotepad* form)
{
    return form->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
}

} // namespace

TEST(frmNotepad, LineRulesDropEmptyLinesAndSetOffSections)
{
    const struct {
        const char* name;
        QByteArray plain;
        QString shown;
    } cases[] = {
        {"two empty lines between sections", crlf({"[A]", "x=1", "", "", "[B]", "y=2"}),
         QStringLiteral("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n")},
        {"leading empty line is kept", crlf({"", "[A]", "x=1"}),
         QStringLiteral("\r\n\r\n[A]\r\nx=1\r\n")},
        {"first line kept whatever it holds", crlf({"   ", "", "[A]", " [B]"}),
         QStringLiteral("   \r\n\r\n[A]\r\n [B]\r\n")},
        {"the empty store", QByteArray(""), QStringLiteral("\r\n")},
        {"bare LF line ends", QByteArray("[A]\nx=1\n\n[B]\ny=2\n"),
         QStringLiteral("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TextModeFolder folder(c.plain);
        ScriptedMessages messages;
        QPointer<frmNotepad> form = folder.open();
        ASSERT_TRUE(form);
        EXPECT_EQ(form->text(), c.shown);
        EXPECT_FALSE(form->isChanged());
        EXPECT_FALSE(form->isReadOnly());
        EXPECT_TRUE(messages.shown().isEmpty());
        form->close();
    }
}

TEST(frmNotepad, TheFixtureStoreShowsWithOneBlankLineBeforeEachLaterSection)
{
    TextModeFolder folder;
    ScriptedMessages messages;
    QPointer<frmNotepad> form = folder.open();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), appContext().AppTitle + QStringLiteral(" - anna"));
    EXPECT_EQ(form->text(),
              QString::fromUtf8("[Main]\r\nCount=2\r\nAccount1=B\u00e4r\r\nAccount2=Post\r\n\r\n"
                                "[Baer]\r\nUser=anna\r\nPass=\r\nWeb=\r\nComment=Zeile 1#\u00a7Zeile 2\r\n\r\n"
                                "[Post]\r\nUser=kunde7\r\nPass=\r\nWeb=\r\nComment=\r\n"));
    // No plaintext stays on disk while the window is open.
    EXPECT_TRUE(folder.plaintextFiles().isEmpty());
}

TEST(frmNotepad, OpenAndCloseWithoutTypingLeavesTheFileByteForByte)
{
    TextModeFolder folder;
    folder.addSoundFiles();
    ScriptedMessages messages;
    RecordedSounds sounds;
    const QByteArray before = testsupport::readAll(folder.dat);

    QPointer<frmNotepad> form = folder.open();
    ASSERT_TRUE(form);
    EXPECT_EQ(sounds.played(), QStringList({appContext().LoginSoundFile}));
    WipedTexts wiped;
    form->close();
    flushDeletes();
    EXPECT_TRUE(wiped.wiped(folder.session.MasterPassword(), kKey));

    EXPECT_FALSE(form);
    EXPECT_EQ(testsupport::readAll(folder.dat), before);
    EXPECT_TRUE(isReadOnly(folder.dat));
    EXPECT_TRUE(folder.plaintextFiles().isEmpty());
    EXPECT_EQ(sounds.played(), QStringList({appContext().LoginSoundFile, appContext().LogoutSoundFile}));
    EXPECT_EQ(folder.closedCalls, 1);
    EXPECT_TRUE(folder.session.MasterPassword().isEmpty());
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST(frmNotepad, AnEditIsWrittenBackOnCloseEvenWhenUndone)
{
    for (const bool undo : {false, true}) {
        SCOPED_TRACE(undo ? "undone" : "kept");
        TextModeFolder folder(crlf({"[Main]", "Count=0"}));
        ScriptedMessages messages;
        const QByteArray before = testsupport::readAll(folder.dat);
        QPointer<frmNotepad> form = folder.open();
        ASSERT_TRUE(form);

        QPlainTextEdit* box = text1(form);
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, QStringLiteral("[Neu]"));
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, QStringLiteral("User="));
        box->insertPlainText(QStringLiteral("\u00e4\u00a0b"));
        if (undo) {
            while (box->document()->isUndoAvailable())
                box->undo();
        }
        EXPECT_TRUE(form->isChanged());
        const QString shown = form->text();
        form->close();

        const QByteArray expected = Cp1252::encode(shown + QStringLiteral("\r\n"));
        EXPECT_NE(testsupport::readAll(folder.dat), before);
        EXPECT_TRUE(opensWith(folder.dat, kKey, expected));
        EXPECT_TRUE(isReadOnly(folder.dat));
        EXPECT_TRUE(folder.plaintextFiles().isEmpty());
        EXPECT_EQ(folder.closedCalls, 1);
        if (!undo) {
            // Every character as typed, the no-break space included, lines ended by CR LF.
            EXPECT_EQ(expected, QByteArray("[Main]\r\nCount=0\r\n[Neu]\r\nUser=\xe4\xa0" "b\r\n"));
        }
    }
}

TEST(frmNotepad, ANameWithoutAUserFileIsRefused)
{
    TextModeFolder folder;
    ScriptedMessages messages;
    folder.session.beginFile(folder.path(QStringLiteral("niemand.dat")), kKey);
    QPointer<frmNotepad> form = folder.open();

    EXPECT_FALSE(form);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown()[0].prompt.contains(QStringLiteral("'niemand'")));
    EXPECT_EQ(folder.closedCalls, 1);
    EXPECT_EQ(folder.files(), QStringList({QStringLiteral("anna.dat")}));
}

TEST(frmNotepad, AWrongPasswordEndsTheProgramWithoutWriting)
{
    enum class Store { Anna, Garbage, Large };
    const struct {
        const char* what;
        Store store;
        QString password;
    } cases[] = {
        {"wrong password", Store::Anna, QStringLiteral("falsch99")},
        // What a wrong password that passes the length field gives: control bytes, no section header.
        {"garbage that deciphers", Store::Garbage, kKey},
        {"wrong key that passes the length field", Store::Large, testsupport::kLargeStoreWrongKey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TextModeFolder folder(c.store == Store::Garbage ? QByteArray("\x01\x9c\x07zq\x1b\xfe") : QByteArray());
        if (c.store == Store::Large) {
            QFile::remove(folder.dat);
            folder.copyFixture(testsupport::kLargeStoreFixture, QStringLiteral("anna.dat"));
        }
        folder.addSoundFiles();
        ScriptedMessages messages;
        RecordedSounds sounds;
        folder.session.beginFile(folder.dat, c.password);
        const QByteArray before = testsupport::readAll(folder.dat);

        WipedTexts wiped;
        frmNotepad::open(folder.session, [&] { ++folder.closedCalls; });
        flushDeletes();
        EXPECT_TRUE(wiped.wiped(folder.session.MasterPassword(), c.password));

        ASSERT_EQ(folder.exits.size(), 1);
        EXPECT_NE(folder.exits[0], 0);
        ASSERT_EQ(messages.shown().size(), 1);
        EXPECT_TRUE(messages.shown()[0].prompt.contains(QStringLiteral("Master-Passwort ist falsch")));
        EXPECT_EQ(testsupport::readAll(folder.dat), before);
        EXPECT_TRUE(folder.plaintextFiles().isEmpty());
        EXPECT_EQ(folder.closedCalls, 0);
        EXPECT_EQ(visibleWindow<frmNotepad>(), nullptr);
        EXPECT_TRUE(sounds.played().isEmpty());
    }
}

TEST(frmNotepad, AFailedWriteBackAsksBeforeTheEditsAreLost)
{
    TextModeFolder folder(crlf({"[Main]", "Count=0"}));
    ScriptedMessages messages;
    const QByteArray before = testsupport::readAll(folder.dat);
    QPointer<frmNotepad> form = folder.open();
    ASSERT_TRUE(form);
    text1(form)->moveCursor(QTextCursor::End);
    QTest::keyClicks(text1(form), QStringLiteral("x=1"));

    AtomicWrite::setFaultHook([](AtomicWrite::Stage stage, const QString&) {
        return stage == AtomicWrite::Stage::Commit;
    });
    messages.queueAnswer(false);
    form->close();
    // No: the window stays with the edits, the store as it was.
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown()[0].question);
    EXPECT_EQ(testsupport::readAll(folder.dat), before);
    EXPECT_EQ(folder.closedCalls, 0);

    AtomicWrite::setFaultHook({});
    form->close();
    EXPECT_TRUE(opensWith(folder.dat, kKey, QByteArray("[Main]\r\nCount=0\r\nx=1\r\n")));
    EXPECT_EQ(folder.closedCalls, 1);
}

TEST(frmNotepad, AFailedFlushAsksAndAnUnconfirmedWriteBackClosesWithANotice)
{
    // A flush that fails keeps the old store: as every failed write-back, the user is asked.
    // A folder flush that fails after the rename: the text is stored, the window closes and says so.
    const struct {
        AtomicWrite::Stage stage;
        bool stored;
    } cases[] = {{AtomicWrite::Stage::Flush, false}, {AtomicWrite::Stage::FolderFlush, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.stage));
        TextModeFolder folder(crlf({"[Main]", "Count=0"}));
        ScriptedMessages messages;
        const QByteArray before = testsupport::readAll(folder.dat);
        QPointer<frmNotepad> form = folder.open();
        ASSERT_TRUE(form);
        text1(form)->moveCursor(QTextCursor::End);
        QTest::keyClicks(text1(form), QStringLiteral("x=1"));
        AtomicWrite::setFaultHook([&](AtomicWrite::Stage stage, const QString&) { return stage == c.stage; });
        messages.queueAnswer(false);
        form->close();
        AtomicWrite::setFaultHook({});

        ASSERT_EQ(messages.shown().size(), 1);
        if (c.stored) {
            EXPECT_FALSE(messages.shown()[0].question);
            EXPECT_EQ(messages.shown()[0].prompt, storeErrorText(StoreError::NotConfirmed));
            EXPECT_TRUE(opensWith(folder.dat, kKey, QByteArray("[Main]\r\nCount=0\r\nx=1\r\n")));
            EXPECT_EQ(folder.closedCalls, 1);
        } else {
            EXPECT_TRUE(messages.shown()[0].question);
            EXPECT_TRUE(messages.shown()[0].prompt.startsWith(storeErrorText(StoreError::WriteFailed)));
            EXPECT_EQ(testsupport::readAll(folder.dat), before);
            EXPECT_TRUE(form && form->isVisible());
            EXPECT_EQ(folder.closedCalls, 0);
        }
        EXPECT_TRUE(folder.plaintextFiles().isEmpty());
    }
}

TEST(frmNotepad, TheTextBoxFillsTheWindowWithBothScrollBars)
{
    TextModeFolder folder;
    ScriptedMessages messages;
    QPointer<frmNotepad> form = folder.open();
    ASSERT_TRUE(form);
    QPlainTextEdit* box = text1(form);
    EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    const QFontMetrics metrics(box->font());
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(box->font().pointSize(), 9);
    for (const QSize size : {QSize(300, 200), QSize(640, 480)}) {
        form->resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(box->geometry(), QRect(QPoint(0, 0), form->size()));
    }
}

TEST(frmNotepad, AClosingRequestDuringTheLoadOrTheWriteBackWaitsForIt)
{
    TextModeFolder folder(crlf({"[Main]", "Count=0"}));
    ScriptedMessages messages;
    // The window lets events run between the store's steps; a close request arrives meanwhile.
    int pumped = 0;
    StoreActivity::setEventPump([&] {
        ++pumped;
        if (frmNotepad* w = visibleWindow<frmNotepad>())
            w->close();
    });
    QPointer<frmNotepad> form = folder.open();
    ASSERT_TRUE(form);
    EXPECT_GT(pumped, 0);
    EXPECT_EQ(form->text(), QStringLiteral("[Main]\r\nCount=0\r\n"));
    EXPECT_EQ(folder.closedCalls, 0);

    text1(form)->moveCursor(QTextCursor::End);
    QTest::keyClicks(text1(form), QStringLiteral("x=1"));
    form->close();
    StoreActivity::setEventPump({});

    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_TRUE(opensWith(folder.dat, kKey, QByteArray("[Main]\r\nCount=0\r\nx=1\r\n")));
    EXPECT_EQ(folder.closedCalls, 1);
}
