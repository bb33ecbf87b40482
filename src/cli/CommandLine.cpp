#include "cli/CommandLine.h"

#include "store/UserDirectory.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <initializer_list>

namespace {

const QString kHelpHint = QStringLiteral(" (Hilfe: keywarden-cli --help).");
const QString kDataDir = QStringLiteral("--data-dir");

using Command = CliRequest::Command;

struct OptionSpec {
    const char* name;
    bool takesValue;
    std::initializer_list<Command> commands;  // the commands it belongs to
};

const OptionSpec kOptions[] = {
    {"--user", true, {Command::Add, Command::Edit}},
    {"--web", true, {Command::Add, Command::Edit}},
    {"--comment", true, {Command::Add, Command::Edit}},
    {"--password", false, {Command::Edit}},
    {"--field", true, {Command::Show}},
    {"--spreadsheet", false, {Command::Export}},
    {"--length", true, {Command::Generate}},
    {"--no-symbols", false, {Command::Generate}},
    {"--no-lookalikes", false, {Command::Generate}},
    {"--rename-duplicates", false, {Command::Import}},
};

const OptionSpec* findOption(const QString& name)
{
    for (const OptionSpec& o : kOptions) {
        if (name == QLatin1String(o.name))
            return &o;
    }
    return nullptr;
}

bool takesValue(const QString& option)
{
    const OptionSpec* spec = findOption(option);
    return option == kDataDir || (spec && spec->takesValue);
}

struct CommandSpec {
    const char* name;
    Command command;
    int positionals;  // the store file included
};

constexpr CommandSpec kCommands[] = {
    {"list", Command::List, 1},
    {"show", Command::Show, 2},
    {"dump", Command::Dump, 1},
    {"export", Command::Export, 1},
    {"add", Command::Add, 2},
    {"edit", Command::Edit, 2},
    {"rename", Command::Rename, 3},
    {"delete", Command::Delete, 2},
    {"passwd", Command::Passwd, 1},
    {"generate", Command::Generate, 0},
    {"import", Command::Import, 2},
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
    QStringList seen;
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
        const OptionSpec* spec = findOption(option);
        if (!spec)
            return refuse(error, QStringLiteral("Die Option „%1“ gibt es nicht.").arg(option));
        if (std::find(spec->commands.begin(), spec->commands.end(), request.command) == spec->commands.end())
            return refuse(error, QStringLiteral("Die Option „%1“ gilt nicht für den Befehl %2.").arg(option, name));
        if (seen.contains(option))
            return refuse(error, QStringLiteral("Die Option „%1“ wurde mehrfach angegeben.").arg(option));
        seen.append(option);
        QString value;
        if (spec->takesValue) {
            if (eq < 0 && i + 1 >= arguments.size())
                return refuse(error, QStringLiteral("Nach der Option „%1“ fehlt ihr Wert.").arg(option));
            value = eq < 0 ? arguments.at(++i) : a.mid(eq + 1);
        } else if (eq >= 0) {
            return refuse(error, QStringLiteral("Die Option „%1“ nimmt keinen Wert.").arg(option));
        }
        if (option == QStringLiteral("--user")) {
            request.user = value;
            request.hasUser = true;
        } else if (option == QStringLiteral("--web")) {
            request.web = value;
            request.hasWeb = true;
        } else if (option == QStringLiteral("--comment")) {
            request.comment = value;
            request.hasComment = true;
        } else if (option == QStringLiteral("--password")) {
            request.readPassword = true;
        } else if (option == QStringLiteral("--spreadsheet")) {
            request.spreadsheet = true;
        } else if (option == QStringLiteral("--rename-duplicates")) {
            request.renameDuplicates = true;
        } else if (option == QStringLiteral("--no-symbols")) {
            request.noSymbols = true;
        } else if (option == QStringLiteral("--no-lookalikes")) {
            request.noLookalikes = true;
        } else if (option == QStringLiteral("--field")) {
            const struct {
                const char* name;
                CliRequest::Field field;
            } fields[] = {{"user", CliRequest::Field::User},
                          {"password", CliRequest::Field::Password},
                          {"web", CliRequest::Field::Web},
                          {"comment", CliRequest::Field::Comment}};
            bool known = false;
            for (const auto& f : fields) {
                if (value == QLatin1String(f.name)) {
                    request.field = f.field;
                    known = true;
                }
            }
            if (!known)
                return refuse(error, QStringLiteral("Das Feld „%1“ gibt es nicht; möglich sind user, password, "
                                                    "web und comment.").arg(value));
        } else if (option == QStringLiteral("--length")) {
            bool number = false;
            request.length = value.toInt(&number);
            if (!number)
                return refuse(error, QStringLiteral("Die Länge „%1“ ist keine Zahl.").arg(value));
        }
    }

    if (request.command == Command::Generate) {
        if (!positionals.isEmpty())
            return refuse(error, QStringLiteral("Zu viele Argumente für den Befehl generate."));
        request.dataFolder = dataFolder;
        return request;
    }
    if (request.command == Command::Edit && !request.hasUser && !request.hasWeb && !request.hasComment &&
        !request.readPassword)
        return refuse(error, QStringLiteral("Es ist nichts zu ändern angegeben (--user, --web, --comment "
                                            "oder --password)."));
    if (positionals.isEmpty())
        return refuse(error, QStringLiteral("Die Datei des Speichers fehlt."));
    if (positionals.size() < spec->positionals)
        return refuse(error, request.command == Command::Rename && positionals.size() == 2
                                 ? QStringLiteral("Der neue Name des Accounts fehlt.")
                             : request.command == Command::Import ? QStringLiteral("Die CSV-Datei fehlt.")
                                                                   : QStringLiteral("Der Name des Accounts fehlt."));
    if (positionals.size() > spec->positionals)
        return refuse(error, QStringLiteral("Zu viele Argumente für den Befehl %1.").arg(name));
    request.storeFile = positionals.at(0);
    request.dataFolder = dataFolder;
    if (spec->positionals > 1)
        request.account = positionals.at(1);
    if (spec->positionals > 2)
        request.newName = positionals.at(2);
    if (request.command == Command::Import) {
        request.importFile = request.account;
        request.account.clear();
    }
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
        "Aufruf: keywarden-cli [--data-dir ORDNER] BEFEHL [SPEICHER] [ARGUMENTE]\n"
        "\n"
        "Liest und ändert einen Speicher von Tarvenic Keywarden. SPEICHER ist der Pfad einer\n"
        "Speicherdatei oder ein Benutzername: anna öffnet anna.dat im Datenordner (ohne Rücksicht\n"
        "auf Groß- und Kleinschreibung). Ein Argument mit \"/\", mit der Endung .dat oder eine\n"
        "vorhandene Datei gilt als Pfad.\n"
        "\n"
        "Befehle:\n"
        "  list     SPEICHER            die Account-Namen, einer pro Zeile, in der Reihenfolge der Liste\n"
        "  show     SPEICHER ACCOUNT [--field user|password|web|comment]\n"
        "                               den Eintrag: Benutzer, Passwort, Web Site, Kommentar; mit\n"
        "                               --field nur diesen Wert, mit einem Zeilenende (für Skripte)\n"
        "  dump     SPEICHER            den entschlüsselten Klartext unverändert auf die Standardausgabe\n"
        "  export   SPEICHER [--spreadsheet]\n"
        "                               alle Einträge als CSV (RFC 4180, UTF-8) mit den Spalten\n"
        "                               Account,User,Password,Web,Comment auf die Standardausgabe;\n"
        "                               --spreadsheet: mit Byte-Order-Mark, und Zellen, die mit =, +, -\n"
        "                               oder @ beginnen, bekommen ein ' vorangestellt (nicht verlustfrei)\n"
        "  add      SPEICHER ACCOUNT [--user BENUTZER] [--web ADRESSE] [--comment KOMMENTAR]\n"
        "                               einen neuen Eintrag anlegen\n"
        "  edit     SPEICHER ACCOUNT [--user BENUTZER] [--web ADRESSE] [--comment KOMMENTAR] [--password]\n"
        "                               die angegebenen Felder eines Eintrags ändern, wie Speichern;\n"
        "                               --password liest danach das neue Passwort des Eintrags\n"
        "  rename   SPEICHER ALT NEU    einen Eintrag umbenennen\n"
        "  delete   SPEICHER ACCOUNT    einen Eintrag löschen (ohne Rückfrage)\n"
        "  passwd   SPEICHER            das Master-Passwort ändern: altes, neues, neues noch einmal;\n"
        "                               die bisherige Datei bleibt als .bak neben dem Speicher\n"
        "  import   SPEICHER DATEI.csv [--rename-duplicates]\n"
        "                               alle Zeilen einer CSV-Datei als neue Einträge, in einem\n"
        "                               Schreibvorgang, alle oder keiner. Erkannt an der Kopfzeile:\n"
        "                               der eigene Export und die CSV-Exporte gängiger Passwort-\n"
        "                               Manager; was der Speicher nicht kennt (Gruppe, Ordner, TOTP,\n"
        "                               eigene Felder), kommt als \"Name: Wert\" in den Kommentar.\n"
        "                               --rename-duplicates: vergebene Namen bekommen \" (2)\", \" (3)\"\n"
        "  generate [--length N] [--no-symbols] [--no-lookalikes]\n"
        "                               ein zufälliges Passwort (8 bis 64 Zeichen, vorgegeben 20) aus\n"
        "                               Groß- und Kleinbuchstaben, Ziffern und Sonderzeichen; ohne\n"
        "                               Speicher. --no-lookalikes lässt leicht verwechselbare Zeichen weg\n"
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
        "  Terminal, aus ihrer ersten Zeile. add und edit --password lesen danach das Passwort des\n"
        "  Eintrags (zweite Zeile; eine leere Zeile ist ein leeres Passwort); passwd liest das alte,\n"
        "  das neue und noch einmal das neue Master-Passwort (drei Zeilen). Passwörter werden nie aus\n"
        "  Argumenten oder Umgebungsvariablen genommen.\n"
        "\n"
        "  add, edit, rename, delete, import und passwd schreiben nicht, solange Keywarden läuft. Der\n"
        "  Klartext bleibt im Speicher des Programms und kommt nie auf die Platte.\n"
        "\n"
        "Rückgabewerte:\n"
        "  0  erledigt\n"
        "  1  der Speicher lässt sich nicht öffnen (falsches Master-Passwort oder beschädigte Datei);\n"
        "     nichts wurde geändert\n"
        "  2  Aufruf- oder Eingabefehler (unbekannter Account, doppelter Name, fehlende Datei,\n"
        "     ungültige Angaben, zwei verschiedene neue Master-Passwörter)\n"
        "  3  ein anderer Dateifehler (Lesen, Schreiben, Ausgabe) oder Keywarden läuft gerade\n");
}
