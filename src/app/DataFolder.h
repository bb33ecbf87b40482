#pragma once

#include <QProcessEnvironment>
#include <QString>

// Where the stores, Keywarden.ini, the optional pictures and sounds and the lock live: the role the
// program's own folder had when the program always ran from a folder of its own. Installed under
// /usr/bin no user can write there, so a fresh installation keeps its data in the user's XDG data
// folder, while a folder that already holds a setup (or a portable copy) keeps serving it.
namespace DataFolder {

// True when `folder` holds Keywarden.ini or a *.dat file (any case): a setup lives there.
bool holdsData(const QString& folder);

// $XDG_DATA_HOME/keywarden when XDG_DATA_HOME is an absolute path, else $HOME/.local/share/keywarden.
QString userDataFolder(const QProcessEnvironment& environment);

// The data folder, without a trailing separator: `chosen` when not empty (--data-dir, made absolute
// against the current folder), else `programFolder` when it holds data, else userDataFolder().
QString resolve(const QString& programFolder, const QString& chosen, const QProcessEnvironment& environment);

// Creates `folder` (and missing parents) when it does not exist; a folder made here is for its owner
// only. False when it cannot be made or is not a folder.
bool ensureExists(const QString& folder);

} // namespace DataFolder
