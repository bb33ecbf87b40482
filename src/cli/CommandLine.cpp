#include "cli/CommandLine.h"

#include "store/UserDirectory.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kHelpHint = QStringLiteral(" (Hilfe: keywarden-cli --help).");
const QString kDataDir = QStringLiteral("--data-dir");

bool takesValue(const QString& option)
{
    return option == QStringLiteral("--user") || option == QStringLiteral("--web") ||
           option == QStringLiteral("--comment") || option == kDataDir;
}

struct CommandSpec {
    const char* name;
    CliRequest::Command command;
    int positionals;  // the store file included
};

constexpr CommandSpec kCommands[] = {
    {"list", CliRequest::Command::List, 1},
    {"show", CliRequest::Command::Show, 2},
    {"dump", CliRequest::Command::Dump, 1},
    {"export", CliRequest::Command::Export, 1},
    {"add", CliRequest::Command::Add, 2},
};

std::optional<CliRequest> refuse(QString& error, const QString& sentence)
{
    // One sentence: the hint goes before its full stop.
    error = sentence;
    error.chop(1);
    error += kHelpHint;
    return std::nullopt;
}

} // namespace

std::optional<CliRequest> CommandLine::parse(const QStringList& allArguments, QString& error)
{
    error.clear();
    // --help and --version win wherever they stand, unless they are a value after "--" or of an
    // option; --help first.
    bool optionsEnded = false;
    bool version = false;
    for (int i = 0; i < allArguments.size(); ++i) {
        const QString& a = allArguments.at(i);
        if (optionsEnded)
            break;
        if (a == QStringLiteral("--"))
            optionsEnded = true;
        else if (a == QStringLiteral("--help") || a == QStringLiteral("-h"))
            return CliRequest{};
        else if (a == QStringLiteral("--version"))
            version = true;
        else if (takesValue(a))
            ++i;
    }
    if (version) {
        CliRequest request;
        request.command = CliRequest::Command::Version;
        return request;
    }

    // --data-dir belongs to no command: it may stand before the command or among its arguments.
    QString dataFolder;
    QStringList arguments;
    optionsEnded = false;
    for (int i = 0; i < allArguments.size(); ++i) {
        const QString& a = allArguments.at(i);
        if (!optionsEnded && a == kDataDir) {
            if (i + 1 >= allArguments.size())
                return refuse(error, QStringLiteral("Nach der Option „--data-dir“ fehlt ihr Wert."));
            dataFolder = allArguments.at(++i);
            continue;
        }
        if (!optionsEnded && a.startsWith(kDataDir + QLatin1Char('='))) {
            dataFolder = a.mid(kDataDir.size() + 1);
            continue;
        }
        if (a == QStringLiteral("--"))
            optionsEnded = true;
        else if (!optionsEnded && takesValue(a) && i + 1 < allArguments.size())
            arguments.append(allArguments.at(i++));
        arguments.append(allArguments.at(i));
    }

    if (arguments.isEmpty())
        return refuse(error, QStringLiteral("Es wurde kein Befehl angegeben."));

    const QString& name = arguments.first();
    const CommandSpec* spec = nullptr;
    for (const CommandSpec& s : kCommands) {
        if (name == QLatin1String(s.name))
            spec = &s;
    }
    if (!spec)
        return refuse(error, QStringLiteral("Den Befehl „%1“ gibt es nicht.").arg(name));

    CliRequest request;
    request.command = spec->command;
    QStringList positionals;
    bool seenUser = false;
    bool seenWeb = false;
    bool seenComment = false;
    optionsEnded = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QStringLiteral("-")) {
            positionals.append(a);
            continue;
        }
        if (a == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        // Both "--user U" and "--user=U".
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        const QString option = eq < 0 ? a : a.left(eq);
        QString* target = nullptr;
        bool* seen = nullptr;
        if (option == QStringLiteral("--user")) {
            target = &request.user;
            seen = &seenUser;
        } else if (option == QStringLiteral("--web")) {
            target = &request.web;
            seen = &seenWeb;
        } else if (option == QStringLiteral("--comment")) {
            target = &request.comment;
            seen = &seenComment;
        }
        if (!target)
            return refuse(error, QStringLiteral("Die Option „%1“ gibt es nicht.").arg(option));
        if (request.command != CliRequest::Command::Add)
            return refuse(error, QStringLiteral("Die Option „%1“ gilt nur für den Befehl add.").arg(option));
        if (*seen)
            return refuse(error, QStringLiteral("Die Option „%1“ wurde mehrfach angegeben.").arg(option));
        if (eq < 0 && i + 1 >= arguments.size())
            return refuse(error, QStringLiteral("Nach der Option „%1“ fehlt ihr Wert.").arg(option));
        *seen = true;
        *target = eq < 0 ? arguments.at(++i) : a.mid(eq + 1);
    }

    if (positionals.isEmpty())
        return refuse(error, QStringLiteral("Die Datei des Speichers fehlt."));
    if (positionals.size() < spec->positionals)
        return refuse(error, QStringLiteral("Der Name des Accounts fehlt."));
    if (positionals.size() > spec->positionals)
        return refuse(error, QStringLiteral("Zu viele Argumente für den Befehl %1.").arg(name));
    request.storeFile = positionals.at(0);
    request.dataFolder = dataFolder;
    if (spec->positionals > 1)
        request.account = positionals.at(1);
    request.comment = normalizeLineBreaks(request.comment);
    return request;
}

QString CommandLine::storePath(const QString& store, const QString& dataFolder)
{
    const bool isPath = store.contains(QLatin1Char('/')) || store.contains(QDir::separator()) ||
                        store.endsWith(QStringLiteral(".dat"), Qt::CaseInsensitive) || QFileInfo::exists(store);
    if (isPath)
        return store;
    return UserDirectory::userFilePath(dataFolder, store);
}

QString CommandLine::normalizeLineBreaks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += QStringLiteral("\r\n");
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Aufruf: keywarden-cli [--data-dir ORDNER] BEFEHL SPEICHER [ARGUMENTE]\n"
        "\n"
        "Liest und ergänzt einen Speicher von Tarvenic Keywarden. SPEICHER ist der Pfad einer\n"
        "Speicherdatei oder ein Benutzername: anna öffnet anna.dat im Datenordner (ohne Rücksicht\n"
        "auf Groß- und Kleinschreibung). Ein Argument mit \"/\", mit der Endung .dat oder eine\n"
        "vorhandene Datei gilt als Pfad.\n"
        "\n"
        "Befehle:\n"
        "  list   SPEICHER              die Account-Namen, einer pro Zeile, in der Reihenfolge der Liste\n"
        "  show   SPEICHER ACCOUNT      den Eintrag: Benutzer, Passwort, Web Site, Kommentar\n"
        "  dump   SPEICHER              den entschlüsselten Klartext unverändert auf die Standardausgabe\n"
        "  export SPEICHER              alle Einträge als CSV (RFC 4180, UTF-8) mit den Spalten\n"
        "                               Account,User,Password,Web,Comment auf die Standardausgabe\n"
        "  add    SPEICHER ACCOUNT [--user BENUTZER] [--web ADRESSE] [--comment KOMMENTAR]\n"
        "                               einen neuen Eintrag anlegen\n"
        "\n"
        "Optionen:\n"
        "  --data-dir ORDNER            der Datenordner für Benutzernamen (sonst der Programmordner,\n"
        "                               wenn er Keywarden.ini oder *.dat enthält, und sonst\n"
        "                               ~/.local/share/keywarden)\n"
        "  -h, --help                   diese Hilfe\n"
        "  --version                    die Versionsnummer\n"
        "  --                           alles Folgende ist kein Optionsname (für Namen mit \"-\" vorn)\n"
        "\n"
        "Passwörter:\n"
        "  Das Master-Passwort wird ohne Echo vom Terminal gelesen; ist die Standardeingabe kein\n"
        "  Terminal, aus ihrer ersten Zeile. add liest danach das Passwort des neuen Eintrags\n"
        "  (zweite Zeile; eine leere Zeile ist ein leeres Passwort). Passwörter werden nie aus\n"
        "  Argumenten oder Umgebungsvariablen genommen.\n"
        "\n"
        "  add schreibt nicht, solange Keywarden läuft. Der Klartext bleibt im Speicher des\n"
        "  Programms und kommt nie auf die Platte.\n"
        "\n"
        "Rückgabewerte:\n"
        "  0  erledigt\n"
        "  1  der Speicher lässt sich nicht öffnen (falsches Master-Passwort oder beschädigte Datei);\n"
        "     nichts wurde geändert\n"
        "  2  Aufruf- oder Eingabefehler (unbekannter Account, doppelter Name, fehlende Datei,\n"
        "     ungültige Angaben)\n"
        "  3  ein anderer Dateifehler (Lesen, Schreiben, Ausgabe) oder Keywarden läuft gerade\n");
}
