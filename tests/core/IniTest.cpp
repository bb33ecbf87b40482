#include "core/Ini.h"
#include "core/IniDocument.h"

#include "support/QtPrinters.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

const QString kSection = QStringLiteral("Tarvenic Keywarden");

class IniFile : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    QString m_file = m_dir.filePath(QStringLiteral("Keywarden.ini"));
};

} // namespace

TEST_F(IniFile, MissingFileReadsDefaultsAndFirstWriteCreatesIt)
{
    ASSERT_TRUE(m_dir.isValid());
    EXPECT_EQ(ReadIni(kSection, "CompactMode", m_file, 0), "0");
    EXPECT_EQ(ReadIni(kSection, "DefaultUser", m_file, ""), "");
    EXPECT_EQ(ReadIni(kSection, "Top", m_file), "");
    EXPECT_FALSE(QFile::exists(m_file));

    WriteIni(kSection, "DefaultUser", QStringLiteral("Jörg"), m_file);
    EXPECT_EQ(testsupport::readAll(m_file), QByteArray("[Tarvenic Keywarden]\r\nDefaultUser=J\xF6rg\r\n"));
    EXPECT_EQ(ReadIni(kSection.toUpper(), "defaultuser", m_file, ""), QStringLiteral("Jörg"));
}

TEST_F(IniFile, EmptyValueStaysAKeyButReadsAsTheDefault)
{
    WriteIni(kSection, "Top", "1200", m_file);
    WriteIni(kSection, "Top", "", m_file);
    EXPECT_EQ(testsupport::readAll(m_file), QByteArray("[Tarvenic Keywarden]\r\nTop=\r\n"));
    EXPECT_EQ(ReadIni(kSection, "Top", m_file, "none"), "none");
    EXPECT_EQ(ReadIni(kSection, "Top", m_file, 7.5), "7.5");

    // A value of two quotes encloses nothing: empty, so the default.
    ASSERT_TRUE(testsupport::writeAll(m_file, "[Tarvenic Keywarden]\r\nTop=\"\"\r\nLeft=''\r\n"));
    EXPECT_EQ(ReadIni(kSection, "Top", m_file, "none"), "none");
    EXPECT_EQ(ReadIni(kSection, "Left", m_file, "none"), "none");
}

TEST_F(IniFile, LongValueReadsCutTo2047Characters)
{
    const QString value = QString(2999, QLatin1Char('a')) + QLatin1Char('z');
    WriteIni("S", "k", value, m_file);
    EXPECT_EQ(testsupport::readAll(m_file).size(), QByteArray("[S]\r\nk=\r\n").size() + 3000);
    EXPECT_EQ(ReadIni("S", "k", m_file, ""), value.left(2047));
}

TEST_F(IniFile, EveryCallSeesTheFileOnDisk)
{
    WriteIni("S", "k", "1", m_file);
    ASSERT_TRUE(testsupport::writeAll(m_file, "[S]\r\nk=2\r\n"));
    EXPECT_EQ(ReadIni("S", "k", m_file, ""), "2");
    WriteIni("S", "j", "3", m_file);
    EXPECT_EQ(testsupport::readAll(m_file), QByteArray("[S]\r\nk=2\r\nj=3\r\n"));
}

TEST_F(IniFile, BadFilesGiveDefaultsAndLoseWritesSilently)
{
    // Binary content: no key found, and a write adds its section without touching the rest.
    QByteArray garbage;
    for (int i = 0; i < 512; ++i)
        garbage.append(char((i * 37) & 0xFF));
    ASSERT_TRUE(testsupport::writeAll(m_file, garbage));
    EXPECT_EQ(ReadIni(kSection, "CompactMode", m_file, "0"), "0");
    WriteIni(kSection, "CompactMode", "1", m_file);
    EXPECT_TRUE(testsupport::readAll(m_file).startsWith(garbage));
    EXPECT_EQ(ReadIni(kSection, "CompactMode", m_file, "0"), "1");

    // Lines without an equals sign.
    ASSERT_TRUE(testsupport::writeAll(m_file, "[Tarvenic Keywarden]\r\nCompactMode\r\n=\r\n===\r\n"));
    EXPECT_EQ(ReadIni(kSection, "CompactMode", m_file, "0"), "0");

    // A write-protected file keeps its bytes.
    const QByteArray before("[Tarvenic Keywarden]\r\nTop=1\r\n");
    ASSERT_TRUE(testsupport::writeAll(m_file, before));
    QFile::setPermissions(m_file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    WriteIni(kSection, "Top", "2", m_file);
    EXPECT_EQ(testsupport::readAll(m_file), before);
    EXPECT_FALSE(IniDocument::fromBytes(before).save(m_file));
    QFile::setPermissions(m_file, QFile::ReadOwner | QFile::WriteOwner);

    // A folder in the file's place cannot be read: defaults, and the folder stays a folder.
    const QString folder = m_dir.filePath("folder.ini");
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(ReadIni(kSection, "Top", folder, "d"), "d");
    WriteIni(kSection, "Top", "1", folder);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_FALSE(IniDocument::load(folder).has_value());

    // A folder that does not exist cannot take the file.
    const QString nowhere = m_dir.filePath("missing/Keywarden.ini");
    WriteIni(kSection, "Top", "1", nowhere);
    EXPECT_FALSE(QFile::exists(nowhere));
    EXPECT_EQ(ReadIni(kSection, "Top", nowhere, "d"), "d");
}

TEST_F(IniFile, StoreWrittenByWriteIniHasTheFixtureBytes)
{
    const char* const writes[][3] = {
        {"Main", "Count", "1"}, {"Main", "Account1", "B\xC3\xA4r"}, {"Baer", "User", "anna"}, {"Baer", "Pass", ""},
        {"Baer", "Web", ""}, {"Baer", "Comment", "Zeile 1#\xC2\xA7Zeile 2"}, {"Main", "Count", "2"},
        {"Main", "Account2", "Post"}, {"Post", "User", "kunde7"}, {"Post", "Pass", ""}, {"Post", "Web", ""},
        {"Post", "Comment", ""},
    };
    for (const auto& w : writes)
        WriteIni(QString::fromUtf8(w[0]), QString::fromUtf8(w[1]), QString::fromUtf8(w[2]), m_file);
    EXPECT_EQ(testsupport::readAll(m_file), testsupport::readAll(testsupport::fixturePath("anna.ini")));
    EXPECT_EQ(ReadIni("MAIN", "ACCOUNT1", m_file, ""), QStringLiteral("Bär"));
    EXPECT_EQ(ReadIni("baer", "comment", m_file, ""), QStringLiteral("Zeile 1#§Zeile 2"));
}

TEST_F(IniFile, DocumentSaveAndLoadRoundTrip)
{
    IniDocument doc;
    doc.setValue("S", "k", QStringLiteral("wert ä"));
    ASSERT_TRUE(doc.save(m_file));
    // The working copy holds plaintext: nobody else may read it.
    EXPECT_EQ(QFile::permissions(m_file) & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());
    const auto loaded = IniDocument::load(m_file);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->value("s", "K"), QStringLiteral("wert ä"));
    EXPECT_EQ(loaded->toBytes(), doc.toBytes());
}
