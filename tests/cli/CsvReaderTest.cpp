#include "cli/CsvReader.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Rec {
    int line;
    QStringList fields;
};

} // namespace

TEST(CsvReader, SplitsFieldsAndRecordsAsTheExportsWriteThem)
{
    struct Case {
        const char* what;
        QByteArray csv;
        std::vector<Rec> expected;
    };
    const Case cases[] = {
        {"plain rows, CR LF and LF", "a,b\r\nc,d\ne,f", {{1, {"a", "b"}}, {2, {"c", "d"}}, {3, {"e", "f"}}}},
        {"quoted comma, doubled quote, line break inside quotes",
         "\"x,y\",\"sagt \"\"hi\"\"\",\"Zeile\r\nzwei\"\r\nnext,1\r\n",
         {{1, {"x,y", "sagt \"hi\"", "Zeile\r\nzwei"}}, {3, {"next", "1"}}}},
        {"quote inside an unquoted field opens quoting there", "ab\"c,d\"e,f\n", {{1, {"abc,de", "f"}}}},
        {"lone CR stays in the field", "a\rb,c\r\n", {{1, {"a\rb", "c"}}}},
        {"blank lines skipped, quoted empty field kept", "\n\r\n\"\"\n,\n", {{3, {""}}, {4, {"", ""}}}},
        {"empty fields at the ends", ",a,\n", {{1, {"", "a", ""}}}},
        {"byte order mark skipped, umlauts decoded", "\xEF\xBB\xBF" "K\xC3\xA4se,\xE2\x82\xAC\n", {{1, {u"Käse"_qs, u"€"_qs}}}},
        {"last record without line end, ends in quotes", "a,\"b\"", {{1, {"a", "b"}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QList<CsvReader::Record> records;
        QString error;
        ASSERT_TRUE(CsvReader::parse(c.csv, records, error)) << error.toStdString();
        ASSERT_EQ(records.size(), static_cast<qsizetype>(c.expected.size()));
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(records.at(i).line, c.expected[i].line) << i;
            EXPECT_EQ(records.at(i).fields, c.expected[i].fields) << i;
        }
    }
}

TEST(CsvReader, RefusesAnOpenQuoteAndBytesThatAreNoUtf8)
{
    QList<CsvReader::Record> records;
    QString error;
    EXPECT_FALSE(CsvReader::parse("a,b\nc,\"offen\nweiter\n", records, error));
    EXPECT_EQ(error, u"Die Datei endet in einem Feld mit offenem Anführungszeichen (ab Zeile 2)."_qs);
    EXPECT_FALSE(CsvReader::parse("a,\xFF\n", records, error));
    EXPECT_EQ(error, u"Die Datei ist kein gültiger UTF-8-Text."_qs);
}
