#include "cli/CsvImport.h"

#include "cli/CommandLine.h"

#include <QUrl>

#include <utility>

namespace {

enum class Layout { Own, GroupTitle, FolderLogin, UrlOnly, NameUrl };

// Bookkeeping columns of the exports that say nothing about the entry itself.
const QStringList kIgnored = {QStringLiteral("favorite"), QStringLiteral("type"), QStringLiteral("reprompt"),
                              QStringLiteral("guid"), QStringLiteral("timecreated"),
                              QStringLiteral("timelastused"), QStringLiteral("timepasswordchanged")};

struct Columns {
    int name = -1;
    int user = -1;
    int pass = -1;
    int web = -1;
    int comment = -1;
};

QString hostOf(const QString& address)
{
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    return url.host();
}

} // namespace

bool CsvImport::rows(const QList<CsvReader::Record>& records, QList<Row>& out, QString& error)
{
    out.clear();
    if (records.isEmpty()) {
        error = QStringLiteral("Die Datei ist leer; es fehlt die Kopfzeile mit den Spaltennamen.");
        return false;
    }
    QStringList header;
    for (const QString& name : records.first().fields)
        header.append(name.trimmed().toLower());
    const auto col = [&](const char* name) { return static_cast<int>(header.indexOf(QLatin1String(name))); };

    Layout layout;
    Columns c;
    if (col("account") >= 0 && col("password") >= 0) {
        layout = Layout::Own;
        c = {col("account"), col("user"), col("password"), col("web"), col("comment")};
    } else if (col("title") >= 0 && col("password") >= 0) {
        layout = Layout::GroupTitle;
        c = {col("title"), col("username"), col("password"), col("url"), col("notes")};
    } else if (col("login_password") >= 0 && col("name") >= 0) {
        layout = Layout::FolderLogin;
        c = {col("name"), col("login_username"), col("login_password"), col("login_uri"), col("notes")};
    } else if (col("name") >= 0 && col("url") >= 0 && col("password") >= 0) {
        layout = Layout::NameUrl;
        c = {col("name"), col("username"), col("password"), col("url"), col("note")};
    } else if ((col("url") >= 0 || col("hostname") >= 0) && col("password") >= 0) {
        layout = Layout::UrlOnly;
        const int web = col("url") >= 0 ? col("url") : col("hostname");
        c = {-1, col("username"), col("password"), web, -1};
    } else {
        error = QStringLiteral("Das Format der Datei ist unbekannt: die Kopfzeile nennt weder "
                               "Account,User,Password,Web,Comment noch die Spalten eines bekannten Exports.");
        return false;
    }
    const QList<int> mapped = {c.name, c.user, c.pass, c.web, c.comment};
    // The columns whose values go into the comment, worked out once for all rows.
    QList<int> extra;
    for (int i = 0; i < header.size(); ++i) {
        if (!mapped.contains(i) && !kIgnored.contains(header.at(i)))
            extra.append(i);
    }

    out.reserve(records.size() - 1);
    for (qsizetype r = 1; r < records.size(); ++r) {
        const CsvReader::Record& record = records.at(r);
        // Some exports leave trailing empty fields off short rows.
        const auto value = [&](int index) {
            return index >= 0 && index < record.fields.size() ? record.fields.at(index) : QString();
        };
        Row row;
        row.line = record.line;
        row.name = layout == Layout::UrlOnly ? hostOf(value(c.web)) : value(c.name);
        row.entry.User = value(c.user);
        row.entry.Pass = value(c.pass);
        row.entry.Web = value(c.web);
        // Our own export carries the comment exactly as stored (a lone CR included); the others break
        // lines with LF, and the store keeps the windows' CR LF.
        QString comment = layout == Layout::Own ? value(c.comment) : CommandLine::normalizeLineBreaks(value(c.comment));
        for (const int i : extra) {
            if (value(i).isEmpty())
                continue;
            if (!comment.isEmpty())
                comment += QStringLiteral("\r\n");
            comment += CommandLine::normalizeLineBreaks(records.first().fields.at(i).trimmed() + QStringLiteral(": ") +
                                                        value(i));
        }
        row.entry.Comment = std::move(comment);
        out.append(std::move(row));
    }
    return true;
}
