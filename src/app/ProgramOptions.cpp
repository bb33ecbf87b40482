#include "app/ProgramOptions.h"

#include "app/Version.h"

namespace {

const QString kDataDir = QStringLiteral("--data-dir");

} // namespace

ProgramOptions ProgramOptions::parse(const QStringList& arguments)
{
    ProgramOptions options;
    for (const QString& a : arguments) {
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            options.action = Action::Help;
            return options;
        }
        if (a == QStringLiteral("--version")) {
            options.action = Action::Version;
            return options;
        }
    }
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        QString value;
        if (a == kDataDir) {
            if (i + 1 >= arguments.size()) {
                options.action = Action::Usage;
                options.error = QStringLiteral("Nach der Option „--data-dir“ fehlt der Ordner.");
                return options;
            }
            value = arguments.at(++i);
        } else if (a.startsWith(kDataDir + QLatin1Char('='))) {
            value = a.mid(kDataDir.size() + 1);
        } else {
            options.action = Action::Usage;
            options.error = a.startsWith(QLatin1Char('-'))
                                ? QStringLiteral("Die Option „%1“ gibt es nicht.").arg(a)
                                : QStringLiteral("Unerwartetes Argument „%1“.").arg(a);
            return options;
        }
        if (value.isEmpty()) {
            options.action = Action::Usage;
            options.error = QStringLiteral("Der Ordner nach „--data-dir“ ist leer.");
            return options;
        }
        options.dataFolder = value;
    }
    return options;
}

ProgramOptions ProgramOptions::earlyParse(int argc, char** argv)
{
    ProgramOptions options;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QStringLiteral("--"))
            break;
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h"))
            options.action = Action::Help;
        else if (a == QStringLiteral("--version"))
            options.action = Action::Version;
        else if (a == kDataDir)
            ++i;  // its value is a folder, even one called "--help"
        if (options.action != Action::Run)
            return options;
    }
    return options;
}

QString ProgramOptions::helpText()
{
    return QStringLiteral(
        "Aufruf: keywarden [--data-dir ORDNER]\n"
        "\n"
        "Tarvenic Keywarden, die Passwortverwaltung.\n"
        "\n"
        "Optionen:\n"
        "  --data-dir ORDNER  Speicher und Einstellungen in ORDNER statt im Datenordner\n"
        "                     (sonst der Programmordner, wenn er schon Keywarden.ini oder *.dat\n"
        "                     enthält, und sonst ~/.local/share/keywarden)\n"
        "  -h, --help         diese Hilfe\n"
        "  --version          die Versionsnummer\n");
}

QString ProgramOptions::versionText(const QString& programName)
{
    return programName + QStringLiteral(" " KEYWARDEN_VERSION "\n");
}
