#include "app/AppContext.h"
#include "app/FileServices.h"
#include "core/Ini.h"

#include "support/QtPrinters.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <optional>

namespace {

// Start-up fills the one process-wide context; every test here leaves it as it found it.
class AppContextTest : public ::testing::Test {
protected:
    void SetUp() override { m_saved = appContext(); }
    void TearDown() override { appContext() = m_saved; }

private:
    AppContext m_saved;
};

QString withSeparator(QString path)
{
    AddBackslash(path);
    return path;
}

} // namespace

TEST(CenterFormTest, CentresInTheUpper85PercentAndClampsAtTheOrigin)
{
    struct Case { QRect screen; QSize window; QPoint expected; const char* what; };
    const Case cases[] = {
        {{0, 0, 1920, 1080}, {400, 300}, {760, 309}, "ordinary screen"},
        {{0, 0, 15360, 11520}, {4740, 1605}, {5310, 4094}, "twips"},
        {{0, 0, 1000, 1000}, {100, 900}, {450, 0}, "taller than 85 % of the screen"},
        {{0, 0, 800, 600}, {1000, 100}, {0, 205}, "wider than the screen"},
        {{0, 0, 1001, 10}, {3, 3}, {499, 3}, "8.5 rounds to 8, odd sizes truncate"},
        {{0, 0, 1, 30}, {1, 1}, {0, 13}, "25.5 rounds to 26"},
        {{1920, 0, 1280, 1024}, {200, 100}, {2460, 385}, "second screen"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CenterForm(c.screen, c.window), c.expected) << c.what;
}

TEST(KeepOnScreenTest, MovesAWindowOnlyAsFarAsItsNearestScreenNeeds)
{
    // Two screens side by side, the right one smaller and lower, and a panel on the left one's top.
    const QList<QRect> screens = {{0, 30, 1920, 1050}, {1920, 200, 1280, 800}};
    struct Case { QRect window; QPoint expected; const char* what; };
    const Case cases[] = {
        {{100, 100, 310, 282}, {100, 100}, "inside: kept exactly"},
        {{0, 30, 310, 282}, {0, 30}, "at the corner of the area: kept"},
        {{1610, 798, 310, 282}, {1610, 798}, "touching the right and bottom edges: kept"},
        {{1700, 100, 310, 282}, {1610, 100}, "over the right edge: only left changes"},
        {{100, 900, 310, 282}, {100, 798}, "over the bottom edge: only top changes"},
        {{-200, 10, 310, 282}, {0, 30}, "over the left edge and under the panel"},
        {{6000, 4000, 310, 282}, {2890, 718}, "far off beyond the right screen: into its corner"},
        {{-6000, -4000, 310, 282}, {0, 30}, "far off before the left screen"},
        {{1800, 300, 310, 282}, {1920, 300}, "mostly on the right screen: wholly onto it"},
        {{2000, 100, 310, 282}, {2000, 200}, "above the lower right screen: down onto it"},
        {{100, 100, 2500, 282}, {0, 100}, "wider than the screen: its left edge at the screen's"},
        {{100, 500, 310, 2000}, {100, 30}, "taller than the screen: its top edge at the screen's"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeepOnScreen(c.window, screens), c.expected) << c.what;
    EXPECT_EQ(KeepOnScreen({5000, 5000, 10, 10}, {}), QPoint(5000, 5000)) << "no screen: kept";
}

TEST_F(AppContextTest, InitFoldersTakesTheDataAndTemporaryFolders)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString data = root.filePath("daten");
    ASSERT_TRUE(InitFolders(data));
    EXPECT_EQ(appContext().AppPath, withSeparator(QDir::toNativeSeparators(data)));
    EXPECT_TRUE(QFileInfo(data).isDir());
    EXPECT_EQ(appContext().TempPath, GetTempFolder());
    EXPECT_TRUE(appContext().TempPath.endsWith(QDir::separator()));

    // A data folder that cannot be made leaves AppPath as it was.
    ASSERT_TRUE(testsupport::writeAll(root.filePath("datei"), "x"));
    EXPECT_FALSE(InitFolders(root.filePath("datei")));
    EXPECT_EQ(appContext().AppPath, withSeparator(QDir::toNativeSeparators(data)));
}

TEST_F(AppContextTest, InitApplicationFillsEveryPathAndReadsCompactMode)
{
    QTemporaryDir program;
    QTemporaryDir temp;
    ASSERT_TRUE(program.isValid() && temp.isValid());
    AppContext& app = appContext();
    app.AppPath = withSeparator(program.path());
    app.TempPath = withSeparator(temp.path());
    app.AppTitle.clear();

    struct Case { QByteArray settings; qint16 expected; };
    const Case cases[] = {
        {"[Tarvenic Keywarden]\r\nCompactMode=1\r\n", 1},
        {"[tarvenic keywarden]\r\ncompactmode=1.4\r\n", 1},
        // The one leading-number rule: a letter ends the number, an exponent is no part of it.
        {"[Tarvenic Keywarden]\r\nCompactMode=1D2\r\n", 1},
        {"[Tarvenic Keywarden]\r\nCompactMode=99999\r\n", 32767},
        {"[Tarvenic Keywarden]\r\nCompactMode=\r\n", 0},
        {"[Tarvenic Keywarden]\r\nCompactMode=ja\r\n", 0},
        {"[Anderes]\r\nCompactMode=1\r\n", 0},
        {{}, 0}, // no settings file at all
    };
    for (const Case& c : cases) {
        const QString settings = program.filePath("Keywarden.ini");
        QFile::remove(settings);
        if (!c.settings.isNull()) {
            ASSERT_TRUE(testsupport::writeAll(settings, c.settings));
        }
        std::optional<bool> applied;
        app.CompactMode = 7;
        InitApplication([&](bool compact) { applied = compact; });
        EXPECT_EQ(app.CompactMode, c.expected) << c.settings.toStdString();
        ASSERT_TRUE(applied.has_value());
        EXPECT_EQ(*applied, c.expected == 1);
    }

    EXPECT_EQ(app.AppTitle, "Tarvenic Keywarden");
    EXPECT_EQ(app.SettingsFile, app.AppPath + "Keywarden.ini");
    EXPECT_EQ(app.BackImageFile, app.AppPath + "Back.bmp");
    EXPECT_EQ(app.LoginSoundFile, app.AppPath + "Login.wav");
    EXPECT_EQ(app.LogoutSoundFile, app.AppPath + "Logout.wav");
    // Start-up writes nothing: no probe file, no working copy.
    EXPECT_TRUE(QDir(program.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
    EXPECT_TRUE(QDir(temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
}

// The idle lock is on unless the settings turn it off with 0; a value that is no number, or a
// negative one, keeps the default rather than switching the lock off.
TEST_F(AppContextTest, InitApplicationReadsAutoLockMinutes)
{
    QTemporaryDir program;
    ASSERT_TRUE(program.isValid());
    AppContext& app = appContext();
    app.AppPath = withSeparator(program.path());
    app.TempPath = app.AppPath;

    struct Case { QByteArray value; int expected; };
    const Case cases[] = {
        {"5", 5},
        {"0", 0},
        {" \t15", 15},
        {"+3", 3},
        {"2.5", 2},      // halves to even, as every number of the settings
        {"2.6", 3},
        {"7 Minuten", 7},
        {"0.3", 1},      // above 0 never rounds to "off"
        {".9", 1},
        {"0.0", 0},
        {"-0", 0},
        {"1440", 1440},
        {"1441", 1440},  // at most one day
        {"99999999999999999999", 1440},
        {"-5", 10},
        {"-0.4", 10},
        {"", 10},
        {"aus", 10},
        {"nie", 10},
        {".", 10},
        {"-", 10},
        {"x5", 10},
        {{}, 10},        // no such key
    };
    const QString settings = program.filePath("Keywarden.ini");
    for (const Case& c : cases) {
        QByteArray text = "[Tarvenic Keywarden]\r\nCompactMode=1\r\n";
        if (!c.value.isNull())
            text += "AutoLockMinutes=" + c.value + "\r\n";
        ASSERT_TRUE(testsupport::writeAll(settings, text));
        app.AutoLockMinutes = -1;
        InitApplication();
        EXPECT_EQ(app.AutoLockMinutes, c.expected) << "AutoLockMinutes=" << c.value.toStdString();
        EXPECT_EQ(app.CompactMode, 1);
    }

    // In another section, and without a settings file at all: the default.
    ASSERT_TRUE(testsupport::writeAll(settings, "[Anderes]\r\nAutoLockMinutes=0\r\n"));
    InitApplication();
    EXPECT_EQ(app.AutoLockMinutes, 10);
    ASSERT_TRUE(QFile::remove(settings));
    app.AutoLockMinutes = -1;
    InitApplication();
    EXPECT_EQ(app.AutoLockMinutes, 10);
    EXPECT_FALSE(QFile::exists(settings)) << "the setting is only read, never written";
}

// The window writes its position and height mode key by key; the lock setting stays as it was.
TEST_F(AppContextTest, WritingTheWindowSettingsKeepsAutoLockMinutes)
{
    QTemporaryDir program;
    ASSERT_TRUE(program.isValid());
    AppContext& app = appContext();
    app.AppPath = withSeparator(program.path());
    app.TempPath = app.AppPath;
    const QString settings = program.filePath("Keywarden.ini");
    ASSERT_TRUE(testsupport::writeAll(settings, "[Tarvenic Keywarden]\r\nAutoLockMinutes=3\r\n"));
    InitApplication();
    for (const char* key : {"Top", "Left", "CompactMode"})
        WriteIni(app.AppTitle, QString::fromLatin1(key), QStringLiteral("1"), app.SettingsFile);
    app.AutoLockMinutes = -1;
    InitApplication();
    EXPECT_EQ(app.AutoLockMinutes, 3);
}

TEST_F(AppContextTest, StartUpDeletesAPlaintextWorkingCopyLeftBesideTheStoresOrInTheTemporaryFolder)
{
    QTemporaryDir program;
    QTemporaryDir temp;
    ASSERT_TRUE(program.isValid() && temp.isValid());
    AppContext& app = appContext();
    app.AppPath = withSeparator(program.path());
    app.TempPath = withSeparator(temp.path());
    // An older build's copies: one beside the stores, read-only as a crash may leave it, one in the
    // temporary folder. The stores and other files stay.
    ASSERT_TRUE(testsupport::writeAll(program.filePath("pstmp.dat"), "[Main]\r\nCount=1\r\n"));
    ASSERT_TRUE(QFile::setPermissions(program.filePath("pstmp.dat"), QFile::ReadOwner));
    ASSERT_TRUE(testsupport::writeAll(temp.filePath("pstmp.dat"), "[Main]\r\nCount=1\r\n"));
    ASSERT_TRUE(testsupport::writeAll(program.filePath("anna.dat"), "x"));
    ASSERT_TRUE(testsupport::writeAll(temp.filePath("pstmp.txt"), "y"));

    InitApplication();

    EXPECT_EQ(testsupport::filesIn(program.path()), QStringList{"anna.dat"});
    EXPECT_EQ(testsupport::filesIn(temp.path()), QStringList{"pstmp.txt"});
}

TEST_F(AppContextTest, StartUpNeverFollowsOrChangesALinkNamedLikeTheWorkingCopy)
{
    // A link planted under the old name in a shared temporary folder: neither it nor the file it
    // points to is removed or has its mode changed, also when the folder refuses removals.
    QTemporaryDir program;
    QTemporaryDir temp;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(program.isValid() && temp.isValid() && elsewhere.isValid());
    const QString victim = elsewhere.filePath("fremd.dat");
    ASSERT_TRUE(testsupport::writeAll(victim, "fremde Daten"));
    ASSERT_TRUE(QFile::setPermissions(victim, QFile::ReadOwner));
    ASSERT_TRUE(QFile::link(victim, temp.filePath("pstmp.dat")));
    ASSERT_TRUE(QFile::setPermissions(temp.path(), QFile::ReadOwner | QFile::ExeOwner));
    AppContext& app = appContext();
    app.AppPath = withSeparator(program.path());
    app.TempPath = withSeparator(temp.path());

    InitApplication();
    QFile::setPermissions(temp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_TRUE(QFileInfo(temp.filePath("pstmp.dat")).isSymLink());
    EXPECT_EQ(testsupport::readAll(victim), QByteArray("fremde Daten"));
    EXPECT_EQ(QFile::permissions(victim) & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
              QFileDevice::Permissions());
}
