#pragma once

#include <QString>
#include <QStringList>

// The window program's own command line: --help, --version and --data-dir DIR. Qt's options
// (-platform, -style ...) are taken out by the application object before parse() sees the rest.
struct ProgramOptions {
    enum class Action { Run, Help, Version, Usage };

    Action action = Action::Run;
    QString dataFolder;  // --data-dir; empty: the data folder rule decides
    QString error;       // Usage: one German sentence

    // `arguments` without the program name. --help and --version win wherever they stand.
    static ProgramOptions parse(const QStringList& arguments);
    // Only --help or --version, looked for before the application object exists: both must answer
    // without a display.
    static ProgramOptions earlyParse(int argc, char** argv);

    static QString helpText();
    static QString versionText(const QString& programName);
};
