#include "cli/CliRunner.h"

#include "cli/CsvImport.h"
#include "cli/CsvReader.h"
#include "cli/CsvWriter.h"
#include "cli/FdWriter.h"
#include "cli/SecretReader.h"

#include "store/AccountEntry.h"
#include "store/AccountList.h"
#include "store/MasterPasswordChange.h"
#include "store/PasswordGenerator.h"
#include "store/StoreLayout.h"
#include "store/StoreSession.h"
#include "store/StoreSnapshot.h"
#include "store/StoreTexts.h"

#include "app/DataFolder.h"
#include "app/StoreFolderLock.h"
#include "app/Version.h"
#include "core/Wipe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QFileInfo>

#include <unistd.h>

namespace {

QString displayPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Each line break of a comment (CR LF, a lone CR from a stored '#', a lone LF) as one new line,
// so a terminal shows every line and none overwrites another.
QStringList commentLines(const QString& comment)
{
    QString text = comment;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

void appendField(QString& out, const QString& label, const QString& value)
{
    // Labels as in the windows, values aligned behind the longest one.
    constexpr int kWidth = 11;
    const QStringList lines = commentLines(value);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString lead = i == 0 ? label : QString();
        if (lines.at(i).isEmpty())
            out += lead;
        else
            out += lead.leftJustified(kWidth, QLatin1Char(' ')) + lines.at(i);
        out += QLatin1Char('\n');
    }
}

} // namespace

CliRunner::CliRunner(SecretReader& secrets, QProcessEnvironment environment)
    : m_secrets(secrets), m_environment(std::move(environment))
{
}

int CliRunner::run(const QStringList& arguments)
{
    QString error;
    std::optional<CliRequest> request = CommandLine::parse(arguments, error);
    if (!request)
        return fail(kInputError, error);
    if (!request->storeFile.isEmpty()) {
        const QString programFolder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
        const QString dataFolder = DataFolder::resolve(programFolder, request->dataFolder, m_environment);
        request->storeFile = CommandLine::storePath(request->storeFile, dataFolder);
    }
    switch (request->command) {
    case CliRequest::Command::Help: {
        QByteArray text = CommandLine::usage().toUtf8();
        return writeOutput(text);
    }
    case CliRequest::Command::Version: {
        QByteArray text = QByteArrayLiteral("keywarden-cli " KEYWARDEN_VERSION "\n");
        return writeOutput(text);
    }
    case CliRequest::Command::List:
        return list(*request);
    case CliRequest::Command::Show:
        return show(*request);
    case CliRequest::Command::Dump:
        return dump(*request);
    case CliRequest::Command::Export:
        return exportCsv(*request);
    case CliRequest::Command::Add:
        return add(*request);
    case CliRequest::Command::Edit:
        return edit(*request);
    case CliRequest::Command::Rename:
        return rename(*request);
    case CliRequest::Command::Delete:
        return remove(*request);
    case CliRequest::Command::Passwd:
        return passwd(*request);
    case CliRequest::Command::Generate:
        return generate(*request);
    case CliRequest::Command::Import:
        return import(*request);
    }
    return kInputError;
}

int CliRunner::exitStatusFor(StoreError error)
{
    switch (error) {
    case StoreError::None:
        return kDone;
    case StoreError::WrongKey:
    case StoreError::Damaged:
        return kCannotOpen;
    case StoreError::MissingUserFile:
    case StoreError::Validation:
        return kInputError;
    case StoreError::ReadFailed:
    case StoreError::WriteFailed:
    case StoreError::NotConfirmed:
    case StoreError::Busy:
        return kFileError;
    }
    return kFileError;
}

QString CliRunner::messageFor(const StoreResult& result, const QString& storeFile)
{
    switch (result.error) {
    case StoreError::MissingUserFile:
        return QStringLiteral("Die Datei „%1“ gibt es nicht.").arg(displayPath(storeFile));
    case StoreError::ReadFailed:
        return QStringLiteral("Die Datei „%1“ kann nicht gelesen werden.").arg(displayPath(storeFile));
    case StoreError::WriteFailed:
        return QStringLiteral("Die Datei „%1“ konnte nicht geschrieben werden; der bisherige Stand ist "
                              "unverändert erhalten.").arg(displayPath(storeFile));
    default:
        return result.message;
    }
}

int CliRunner::prepare(const CliRequest& request, QString& masterPassword, bool forWriting)
{
    // The file is looked at before anyone is asked for a password.
    if (!QFileInfo(request.storeFile).isFile())
        return failStore(StoreResult::failure(StoreError::MissingUserFile), request.storeFile);
    const int status = readSecret(QStringLiteral("Master-Passwort: "),
                                  QStringLiteral("Das Master-Passwort fehlt: die Standardeingabe ist leer."),
                                  masterPassword);
    if (status != kDone)
        return status;
    if (masterPassword.isEmpty())
        return fail(kInputError, StoreTexts::kMasterPasswordMissing);
    // The login's rule for a key that may become a new store's first.
    if (forWriting && masterPassword.size() < MasterPasswordChange::kMinimumLength) {
        Wipe::text(masterPassword);
        return fail(kInputError, StoreTexts::kMasterPasswordTooShort);
    }
    return kDone;
}

int CliRunner::readSecret(const QString& prompt, const QString& missingMessage, QString& secret)
{
    switch (m_secrets.read(prompt, secret)) {
    case SecretReader::Status::Ok:
        return kDone;
    case SecretReader::Status::Missing:
        return fail(kInputError, missingMessage);
    case SecretReader::Status::NotUtf8:
        return fail(kInputError, QStringLiteral("Die Eingabe ist kein gültiger UTF-8-Text."));
    case SecretReader::Status::ReadFailed:
        break;
    }
    return fail(kFileError, QStringLiteral("Die Standardeingabe kann nicht gelesen werden."));
}

int CliRunner::openSnapshot(const CliRequest& request, StoreSnapshot& snapshot)
{
    QString password;
    if (const int status = prepare(request, password, false); status != kDone)
        return status;
    const StoreResult r = snapshot.open(request.storeFile, password);
    Wipe::text(password);
    if (!r)
        return failStore(r, request.storeFile);
    return kDone;
}

int CliRunner::list(const CliRequest& request)
{
    StoreSnapshot snapshot;
    if (const int status = openSnapshot(request, snapshot); status != kDone)
        return status;
    QString text;
    for (const QString& name : snapshot.accounts().items())
        text += name + QLatin1Char('\n');
    QByteArray out = text.toUtf8();
    return writeOutput(out);
}

int CliRunner::show(const CliRequest& request)
{
    StoreSnapshot snapshot;
    if (const int status = openSnapshot(request, snapshot); status != kDone)
        return status;
    const QString name = snapshot.matchAccount(request.account);
    if (name.isEmpty())
        return fail(kInputError, QStringLiteral("Einen Account „%1“ gibt es in diesem Speicher nicht.")
                                     .arg(request.account));
    AccountEntry entry = snapshot.entry(name);
    QString text;
    if (request.field != CliRequest::Field::All) {
        // The value alone for scripts: as stored (a comment keeps its CR LF), one LF at the end.
        switch (request.field) {
        case CliRequest::Field::User:
            text = entry.User;
            break;
        case CliRequest::Field::Password:
            text = entry.Pass;
            break;
        case CliRequest::Field::Web:
            text = entry.Web;
            break;
        case CliRequest::Field::Comment:
        case CliRequest::Field::All:
            text = entry.Comment;
            break;
        }
        text += QLatin1Char('\n');
        entry.wipe();
        QByteArray out = text.toUtf8();
        Wipe::text(text);
        return writeOutput(out);
    }
    appendField(text, QStringLiteral("Account:"), name);
    appendField(text, QStringLiteral("Benutzer:"), entry.User);
    appendField(text, QStringLiteral("Passwort:"), entry.Pass);
    appendField(text, QStringLiteral("Web Site:"), entry.Web);
    appendField(text, QStringLiteral("Kommentar:"), entry.Comment);
    entry.wipe();
    QByteArray out = text.toUtf8();
    Wipe::text(text);
    return writeOutput(out);
}

int CliRunner::dump(const CliRequest& request)
{
    StoreSnapshot snapshot;
    if (const int status = openSnapshot(request, snapshot); status != kDone)
        return status;
    // The bytes as deciphered: Windows-1252 and CR LF, exactly what the file holds.
    QByteArray out = snapshot.plaintext();
    return writeOutput(out);
}

int CliRunner::exportCsv(const CliRequest& request)
{
    StoreSnapshot snapshot;
    if (const int status = openSnapshot(request, snapshot); status != kDone)
        return status;
    QByteArray out;
    if (request.spreadsheet)
        out += QByteArrayLiteral("\xEF\xBB\xBF");
    const CsvWriter::Guard guard = request.spreadsheet ? CsvWriter::Guard::Formulas : CsvWriter::Guard::None;
    CsvWriter::appendRecord(out, {QStringLiteral("Account"), QStringLiteral("User"), QStringLiteral("Password"),
                                  QStringLiteral("Web"), QStringLiteral("Comment")}, guard);
    for (const QString& name : snapshot.accounts().items()) {
        AccountEntry entry = snapshot.entry(name);
        CsvWriter::appendRecord(out, {name, entry.User, entry.Pass, entry.Web, entry.Comment}, guard);
        entry.wipe();
    }
    return writeOutput(out);
}

int CliRunner::acquireLock(StoreFolderLock& folderLock)
{
    // The lock of the store's folder, which the running program holds from start to end: its next
    // write cycle (the list rewrite at logoff, for one) would undo ours. Taken before any password is
    // asked for and held until the write is done, which also keeps a second writer and a starting
    // program out meanwhile.
    switch (folderLock.tryAcquire()) {
    case StoreFolderLock::Status::Acquired:
        return kDone;
    case StoreFolderLock::Status::HeldElsewhere:
        return fail(kFileError, QStringLiteral("Keywarden läuft gerade (oder ein anderer Schreibvorgang); "
                                               "bitte das Programm beenden und noch einmal versuchen."));
    case StoreFolderLock::Status::Unavailable:
        break;
    }
    return fail(kFileError, QStringLiteral("Ob Keywarden läuft, lässt sich nicht prüfen: die Sperrdatei "
                                           "„%1“ kann nicht angelegt werden; es wurde nichts geschrieben.")
                                .arg(displayPath(folderLock.path())));
}

int CliRunner::openForWriting(const CliRequest& request, StoreFolderLock& folderLock, StoreSession& session)
{
    if (!QFileInfo(request.storeFile).isFile())
        return failStore(StoreResult::failure(StoreError::MissingUserFile), request.storeFile);
    if (const int status = acquireLock(folderLock); status != kDone)
        return status;
    QString password;
    if (const int status = prepare(request, password, true); status != kDone)
        return status;
    session.beginFile(request.storeFile, password);
    // The session holds the only copy from here on and wipes it when it ends.
    password = QString();
    // A placeholder is keyed by this write: only with characters the key can hold.
    if (StoreResult key = session.checkNewStoreKey(); !key)
        return failStore(key, request.storeFile);
    // A wrong master password is reported before anything else is asked for.
    if (StoreResult r = session.unlock(); !r)
        return failStore(r, request.storeFile);
    return kDone;
}

int CliRunner::findAccount(const StoreSession& session, const QString& typed, QString& name)
{
    name.clear();
    const QStringList items = session.accounts().items();
    if (items.contains(typed)) {
        name = typed;
        return kDone;
    }
    const QString upper = AccountList::upperForm(typed);
    for (const QString& item : items) {
        if (!typed.isEmpty() && AccountList::upperForm(item) == upper) {
            name = item;
            return kDone;
        }
    }
    return fail(kInputError, QStringLiteral("Einen Account „%1“ gibt es in diesem Speicher nicht.").arg(typed));
}

int CliRunner::add(const CliRequest& request)
{
    StoreFolderLock folderLock(QFileInfo(request.storeFile).absolutePath());
    StoreSession session;
    if (const int status = openForWriting(request, folderLock, session); status != kDone)
        return status;

    AccountEntry entry;
    entry.User = request.user;
    entry.Web = request.web;
    entry.Comment = request.comment;
    if (const int status = readSecret(QStringLiteral("Passwort des neuen Eintrags: "),
                                      QStringLiteral("Das Passwort des neuen Eintrags fehlt: die "
                                                     "Standardeingabe endet nach dem Master-Passwort."),
                                      entry.Pass);
        status != kDone)
        return status;
    const StoreResult r = session.addEntry(request.account, entry);
    entry.wipe();
    if (!r)
        return failStore(r, request.storeFile);
    return kDone;
}

int CliRunner::changeAccount(const CliRequest& request,
                             const std::function<int(StoreSession& session, const QString& name)>& change)
{
    StoreFolderLock folderLock(QFileInfo(request.storeFile).absolutePath());
    StoreSession session;
    if (const int status = openForWriting(request, folderLock, session); status != kDone)
        return status;
    QString name;
    if (const int status = findAccount(session, request.account, name); status != kDone)
        return status;
    return change(session, name);
}

int CliRunner::edit(const CliRequest& request)
{
    return changeAccount(request,
                         [&](StoreSession& session, const QString& name) { return editEntry(request, session, name); });
}

int CliRunner::editEntry(const CliRequest& request, StoreSession& session, const QString& name)
{
    AccountEntry entry;
    if (StoreResult r = session.readEntry(name, entry); !r)
        return failStore(r, request.storeFile);
    if (request.hasUser)
        entry.User = request.user;
    if (request.hasWeb)
        entry.Web = request.web;
    if (request.hasComment)
        entry.Comment = request.comment;
    if (request.readPassword) {
        Wipe::text(entry.Pass);
        if (const int status = readSecret(QStringLiteral("Neues Passwort des Eintrags: "),
                                          QStringLiteral("Das neue Passwort des Eintrags fehlt: die "
                                                         "Standardeingabe endet nach dem Master-Passwort."),
                                          entry.Pass);
            status != kDone) {
            entry.wipe();
            return status;
        }
    }
    // Speichern's checks and write; the name stays, so the list is untouched.
    const StoreResult r = session.saveEntry(name, name, entry);
    entry.wipe();
    if (!r)
        return failStore(r, request.storeFile);
    return kDone;
}

int CliRunner::rename(const CliRequest& request)
{
    return changeAccount(request, [&](StoreSession& session, const QString& name) {
        AccountEntry entry;
        if (StoreResult r = session.readEntry(name, entry); !r)
            return failStore(r, request.storeFile);
        // The window's rename is a save under a new name; the list the logoff would rewrite is
        // rewritten in the same cycle, as no logoff follows.
        const StoreResult r = session.saveEntry(name, request.newName, entry, StoreSession::ListUpdate::Now);
        entry.wipe();
        return r ? kDone : failStore(r, request.storeFile);
    });
}

int CliRunner::remove(const CliRequest& request)
{
    return changeAccount(request, [&](StoreSession& session, const QString& name) {
        const StoreResult r = session.deleteEntry(name, StoreSession::ListUpdate::Now);
        return r ? kDone : failStore(r, request.storeFile);
    });
}

int CliRunner::passwd(const CliRequest& request)
{
    if (!QFileInfo(request.storeFile).isFile())
        return failStore(StoreResult::failure(StoreError::MissingUserFile), request.storeFile);
    StoreFolderLock folderLock(QFileInfo(request.storeFile).absolutePath());
    if (const int status = acquireLock(folderLock); status != kDone)
        return status;
    const QString missing = QStringLiteral("Das Master-Passwort fehlt: die Standardeingabe endet zu früh.");
    QString oldPassword;
    QString newPassword;
    QString repeated;
    const auto wipeAll = [&] {
        Wipe::text(oldPassword);
        Wipe::text(newPassword);
        Wipe::text(repeated);
    };
    int status = readSecret(QStringLiteral("Altes Master-Passwort: "), missing, oldPassword);
    if (status == kDone)
        status = readSecret(QStringLiteral("Neues Master-Passwort: "), missing, newPassword);
    if (status == kDone)
        status = readSecret(QStringLiteral("Neues Master-Passwort wiederholen: "), missing, repeated);
    if (status != kDone) {
        wipeAll();
        return status;
    }
    if (newPassword != repeated) {
        wipeAll();
        return fail(kInputError, QStringLiteral("Die beiden Eingaben des neuen Master-Passworts stimmen nicht "
                                                "überein; es wurde nichts geändert."));
    }
    StoreSession session;
    session.beginFile(request.storeFile, oldPassword);
    const StoreResult r = session.changeMasterPassword(oldPassword, newPassword);
    wipeAll();
    if (!r)
        return failStore(r, request.storeFile);
    return kDone;
}

int CliRunner::generate(const CliRequest& request)
{
    PasswordGenerator::Options options;
    options.length = request.length;
    options.symbols = !request.noSymbols;
    options.noLookalikes = request.noLookalikes;
    QString password;
    const StoreResult r = PasswordGenerator::generate(options, password);
    if (!r)
        return fail(kInputError, r.message);
    QByteArray out = (password + QLatin1Char('\n')).toUtf8();
    Wipe::text(password);
    return writeOutput(out);
}

int CliRunner::import(const CliRequest& request)
{
    // The file is read and understood before anyone is asked for a password.
    if (!QFileInfo(request.importFile).isFile())
        return fail(kInputError, QStringLiteral("Die Datei „%1“ gibt es nicht.").arg(displayPath(request.importFile)));
    QFile file(request.importFile);
    if (!file.open(QIODevice::ReadOnly))
        return fail(kFileError, QStringLiteral("Die Datei „%1“ kann nicht gelesen werden.").arg(displayPath(request.importFile)));
    QByteArray bytes = file.readAll();
    file.close();
    QList<CsvReader::Record> records;
    QList<CsvImport::Row> rows;
    QString error;
    const bool understood = CsvReader::parse(bytes, records, error) && CsvImport::rows(records, rows, error);
    Wipe::bytes(bytes);
    for (CsvReader::Record& record : records)
        for (QString& field : record.fields)
            Wipe::text(field);
    const auto wipeRows = [&rows] {
        for (CsvImport::Row& row : rows)
            row.entry.wipe();
    };
    if (!understood)
        return fail(kInputError, error);

    // Each row's values as the store can hold them, the refusal naming the line and the field.
    const auto refuseRow = [&](const CsvImport::Row& row, const QString& field, const QString& why) {
        wipeRows();
        return fail(kInputError, QStringLiteral("Zeile %1, Feld „%2“: %3; es wurde nichts importiert.")
                                     .arg(row.line)
                                     .arg(field, why));
    };
    const QString badChars = QStringLiteral("enthält Zeichen, die nicht gespeichert werden können");
    for (const CsvImport::Row& row : rows) {
        if (row.name.trimmed().isEmpty())
            return refuseRow(row, QStringLiteral("Account"), QStringLiteral("der Name ist leer"));
        if (findInvalidAccountNameChar(row.name) >= 0)
            return refuseRow(row, QStringLiteral("Account"),
                             badChars + QStringLiteral(" (Steuerzeichen, eckige Klammern oder Zeichen außerhalb "
                                                       "von Windows-1252)"));
        const QString valueChars =
            badChars + QStringLiteral(" (Zeilenumbrüche, Steuerzeichen oder Zeichen außerhalb von Windows-1252)");
        if (findInvalidValueChar(row.entry.User) >= 0)
            return refuseRow(row, QStringLiteral("Benutzer"), valueChars);
        if (findInvalidValueChar(row.entry.Pass) >= 0)
            return refuseRow(row, QStringLiteral("Passwort"), valueChars);
        if (findInvalidValueChar(row.entry.Web) >= 0)
            return refuseRow(row, QStringLiteral("Web Site"), valueChars);
        if (findInvalidCommentChar(row.entry.Comment) >= 0)
            return refuseRow(row, QStringLiteral("Kommentar"),
                             badChars + QStringLiteral(" (Steuerzeichen oder Zeichen außerhalb von Windows-1252)"));
    }

    StoreFolderLock folderLock(QFileInfo(request.storeFile).absolutePath());
    StoreSession session;
    if (const int status = openForWriting(request, folderLock, session); status != kDone) {
        wipeRows();
        return status;
    }

    // Names are taken without regard to case, and so are the sections they become (Bär and Baer
    // share one).
    QSet<QString> taken;
    for (const QString& name : session.accounts().items()) {
        taken.insert(AccountList::upperForm(name));
        taken.insert(AccountList::upperForm(ReplaceUmlauts(name)));
    }
    QList<QPair<QString, AccountEntry>> entries;
    entries.reserve(rows.size());
    for (CsvImport::Row& row : rows) {
        QString name = row.name;
        const auto isTaken = [&](const QString& n) {
            return taken.contains(AccountList::upperForm(n)) ||
                   taken.contains(AccountList::upperForm(ReplaceUmlauts(n)));
        };
        if (isTaken(name)) {
            if (!request.renameDuplicates) {
                for (auto& e : entries)
                    e.second.wipe();
                return refuseRow(row, QStringLiteral("Account"),
                                 QStringLiteral("einen Account „%1“ gibt es bereits (--rename-duplicates "
                                                "vergibt einen neuen Namen)").arg(name));
            }
            for (int n = 2; isTaken(name); ++n)
                name = row.name + QStringLiteral(" (%1)").arg(n);
        }
        taken.insert(AccountList::upperForm(name));
        taken.insert(AccountList::upperForm(ReplaceUmlauts(name)));
        entries.append({name, row.entry});
    }
    int failedIndex = -1;
    const StoreResult r = session.addEntries(entries, failedIndex);
    for (auto& e : entries)
        e.second.wipe();
    if (!r && failedIndex >= 0 && r.error == StoreError::Validation) {
        const CsvImport::Row& row = rows.at(failedIndex);
        return refuseRow(row, QStringLiteral("Account"), r.message.trimmed().chopped(1));
    }
    wipeRows();
    if (!r)
        return failStore(r, request.storeFile);
    return kDone;
}

int CliRunner::failStore(const StoreResult& result, const QString& storeFile)
{
    return fail(exitStatusFor(result.error), messageFor(result, storeFile));
}

int CliRunner::fail(int status, const QString& message)
{
    FdWriter::writeAll(STDERR_FILENO, (QStringLiteral("keywarden-cli: ") + message + QLatin1Char('\n')).toUtf8());
    return status;
}

int CliRunner::writeOutput(QByteArray& bytes)
{
    const bool ok = FdWriter::writeAll(STDOUT_FILENO, bytes);
    Wipe::bytes(bytes);
    if (!ok)
        return fail(kFileError, QStringLiteral("Die Ausgabe konnte nicht geschrieben werden."));
    return kDone;
}
