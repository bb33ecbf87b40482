#include "app/AppContext.h"
#include "app/FileServices.h"
#include "app/LeadingNumber.h"

#include "QtPrinters.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
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

TEST(LeadingNumberTest, ReadsTheNumberATextStartsWith)
{
    struct Case { QString text; double expected; };
    const Case cases[] = {
        {"1", 1},       {"0", 0},        {"", 0},        {"abc", 0},      {"1.4", 1.4},  {" \t7", 7},
        {"2abc", 2},    {"-3", -3},      {"+4", 4},      {".5", 0.5},     {"5.", 5},     {"1e3", 1000},
        {"1E+2x", 100}, {"2d-1", 0.2},   {"1e", 1},      {"1e+", 1},      {"1,5", 1},    {"1.2.3", 1.2},
        {"-", 0},       {".", 0},        {"x1", 0},      {"0x10", 0},     {"12 3", 12},  {"1e999", 0},
        {"4711.25", 4711.25},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.expected) << c.text.toStdString();
}

TEST(CompactModeTest, SettingTextBecomesA16BitNumber)
{
    struct Case { QString text; qint16 expected; };
    const Case cases[] = {
        {"1", 1},     {"0", 0},     {"", 0},      {"abc", 0},   {"1.4", 1},        {"1.5", 2},
        {"2.5", 2},   {"0.5", 0},   {"-0.5", 0},  {"-1", -1},   {" 1", 1},         {"1abc", 1},
        {"32767", 32767}, {"32768", 0}, {"-32768", -32768}, {"-32769", 0}, {"1e9", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompactModeFromText(c.text), c.expected) << c.text.toStdString();
}

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
    const QString expectedFolder = IsDriveWritable(app.AppPath) ? app.AppPath : app.TempPath;
    EXPECT_EQ(app.WorkingCopyFile, expectedFolder + "pstmp.dat");
    // Nothing of the probe is left behind in the program folder or its drive root.
    EXPECT_FALSE(QFile::exists(app.WorkingCopyFile));
    EXPECT_TRUE(QDir(program.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
}

TEST_F(AppContextTest, WorkingCopyGoesToTheTemporaryFolderWhenTheDriveRefusesFiles)
{
    // A program folder whose file system cannot be found (no drive root) counts as unwritable.
    AppContext& app = appContext();
    app.AppPath = QString();
    app.TempPath = QStringLiteral("/tmp/keywarden-test/");
    InitApplication();
    EXPECT_EQ(app.WorkingCopyFile, "/tmp/keywarden-test/pstmp.dat");
    EXPECT_EQ(app.CompactMode, 0);
}
