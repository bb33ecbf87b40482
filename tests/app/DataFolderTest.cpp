#include "app/DataFolder.h"
#include "app/ProgramOptions.h"
#include "app/Version.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QProcessEnvironment environmentWith(const QString& home, const QString& xdgDataHome)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home);
    if (!xdgDataHome.isNull())
        environment.insert(QStringLiteral("XDG_DATA_HOME"), xdgDataHome);
    return environment;
}

} // namespace

TEST(DataFolderTest, ChosenFolderThenAProgramFolderWithDataThenTheUsersDataFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir dir(root.path());
    for (const char* folder : {"empty", "withIni", "withStore", "withOtherFiles", "home", "xdg"})
        ASSERT_TRUE(dir.mkdir(QString::fromLatin1(folder)));
    ASSERT_TRUE(testsupport::writeAll(dir.filePath("withIni/Keywarden.ini"), ""));
    ASSERT_TRUE(testsupport::writeAll(dir.filePath("withStore/ANNA.DAT"), "\r\n"));
    ASSERT_TRUE(testsupport::writeAll(dir.filePath("withOtherFiles/keywarden"), "program"));
    ASSERT_TRUE(testsupport::writeAll(dir.filePath("withOtherFiles/notes.txt"), "x"));

    const QString home = dir.filePath("home");
    const QString xdg = dir.filePath("xdg");
    struct Case { QString program; QString chosen; QString xdgDataHome; QString expected; const char* what; };
    const Case cases[] = {
        {dir.filePath("withIni"), dir.filePath("chosen"), xdg, dir.filePath("chosen"), "--data-dir wins over everything"},
        {dir.filePath("withIni"), {}, xdg, dir.filePath("withIni"), "settings beside the program"},
        {dir.filePath("withStore"), {}, xdg, dir.filePath("withStore"), "a store beside the program, any case"},
        {dir.filePath("withOtherFiles"), {}, xdg, xdg + "/keywarden", "no setup beside the program"},
        {dir.filePath("empty"), {}, QString(), home + "/.local/share/keywarden", "no XDG_DATA_HOME"},
        {dir.filePath("empty"), {}, QStringLiteral("relative/xdg"), home + "/.local/share/keywarden",
         "a relative XDG_DATA_HOME is ignored"},
        {QString(), {}, xdg, xdg + "/keywarden", "no program folder known"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DataFolder::resolve(c.program, c.chosen, environmentWith(home, c.xdgDataHome)), c.expected) << c.what;
}

TEST(DataFolderTest, ARelativeChosenFolderIsTakenFromTheCurrentFolder)
{
    EXPECT_EQ(DataFolder::resolve({}, QStringLiteral("stores/../mine"), QProcessEnvironment()),
              QDir::cleanPath(QDir::currentPath() + QStringLiteral("/mine")));
}

TEST(DataFolderTest, AMissingFolderIsMadeForItsOwnerOnly)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString folder = root.filePath("share/keywarden");
    ASSERT_TRUE(DataFolder::ensureExists(folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    EXPECT_EQ(QFile::permissions(folder) & (owner | others), owner);

    // An existing folder is taken as it is; a file in the way is not a folder.
    EXPECT_TRUE(DataFolder::ensureExists(root.path()));
    ASSERT_TRUE(testsupport::writeAll(root.filePath("file"), "x"));
    EXPECT_FALSE(DataFolder::ensureExists(root.filePath("file")));
    EXPECT_FALSE(DataFolder::ensureExists(root.filePath("file/below")));
}

TEST(ProgramOptionsTest, ReadsHelpVersionAndTheDataFolder)
{
    using Action = ProgramOptions::Action;
    struct Case { QStringList arguments; Action action; QString dataFolder; };
    const Case cases[] = {
        {{}, Action::Run, {}},
        {{"--data-dir", "/x/y"}, Action::Run, "/x/y"},
        {{"--data-dir=/x/y"}, Action::Run, "/x/y"},
        {{"--help"}, Action::Help, {}},
        {{"-h"}, Action::Help, {}},
        {{"--data-dir", "d", "--version"}, Action::Version, {}},
        {{"--data-dir"}, Action::Usage, {}},
        {{"--data-dir="}, Action::Usage, {}},
        {{"--unbekannt"}, Action::Usage, {}},
        {{"-x"}, Action::Usage, {}},
        {{"anna"}, Action::Usage, {}},
    };
    for (const Case& c : cases) {
        const ProgramOptions options = ProgramOptions::parse(c.arguments);
        EXPECT_EQ(options.action, c.action) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(options.dataFolder, c.dataFolder) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(options.error.isEmpty(), c.action != Action::Usage) << c.arguments.join(' ').toStdString();
    }
}

TEST(ProgramOptionsTest, EarlyParseFindsOnlyHelpAndVersionAndSkipsTheFolderValue)
{
    using Action = ProgramOptions::Action;
    struct Case { std::vector<const char*> argv; Action action; };
    const Case cases[] = {
        {{"keywarden"}, Action::Run},
        {{"keywarden", "--version"}, Action::Version},
        {{"keywarden", "-platform", "offscreen", "--help"}, Action::Help},
        {{"keywarden", "--data-dir", "--help"}, Action::Run},
        {{"keywarden", "--", "--version"}, Action::Run},
        {{"keywarden", "--unbekannt"}, Action::Run},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv;
        for (const char* a : c.argv)
            argv.push_back(const_cast<char*>(a));
        EXPECT_EQ(ProgramOptions::earlyParse(static_cast<int>(argv.size()), argv.data()).action, c.action)
            << c.argv.back();
    }
}

TEST(ProgramOptionsTest, VersionTextCarriesTheProjectVersion)
{
    EXPECT_EQ(ProgramOptions::versionText(QStringLiteral("keywarden")), QStringLiteral("keywarden " KEYWARDEN_VERSION "\n"));
    EXPECT_TRUE(QString::fromLatin1(KEYWARDEN_VERSION).contains(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"))));
}
