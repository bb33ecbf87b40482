#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for, once the arguments were found well-formed.
struct CliRequest {
    enum class Command { Help, Version, List, Show, Dump, Export, Add, Edit, Rename, Delete, Passwd, Generate, Import };
    enum class Field { All, User, Password, Web, Comment };

    Command command = Command::Help;
    QString storeFile;   // as given: a path, or a user name of the data folder (storePath)
    QString dataFolder;  // --data-dir; empty: the data folder rule decides
    QString account;  // show, add, edit, rename (the old name), delete
    QString newName;  // rename
    // add, edit: values given as options; an option not given stays empty and its flag false.
    QString user;
    QString web;
    QString comment;
    bool hasUser = false;
    bool hasWeb = false;
    bool hasComment = false;
    bool readPassword = false;  // edit --password
    Field field = Field::All;   // show --field
    bool spreadsheet = false;   // export --spreadsheet
    QString importFile;         // import
    bool renameDuplicates = false;  // import --rename-duplicates
    // generate
    int length = 20;
    bool noSymbols = false;
    bool noLookalikes = false;
};

// Reads the arguments of keywarden-cli (without the program name). Passwords are never among
// them: they come from the terminal or standard input only.
class CommandLine {
public:
    // The request, or nothing with `error` set to one German sentence for standard error.
    static std::optional<CliRequest> parse(const QStringList& arguments, QString& error);

    // The text of --help.
    static QString usage();

    // The file `store` names: a path when it contains a separator, ends in ".dat" (any case) or names
    // an existing file; otherwise a user name, whose store is looked up in `dataFolder` without
    // regard to case.
    static QString storePath(const QString& store, const QString& dataFolder);

    // A comment typed on a command line breaks lines with LF; the store keeps the windows' CR LF.
    static QString normalizeLineBreaks(const QString& text);
};
