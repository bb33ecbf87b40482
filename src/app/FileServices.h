#pragma once

#include <QString>

// Small file and path procedures shared by the windows and the store. None reports an error:
// file errors come back as false.

// True when the path names a file that can be opened for reading; a folder, an empty path and an
// unreadable file count as absent. The content is not read.
bool FileExists(const QString& path);

// The name without its last extension: "a.b.dat" -> "a.b", ".dat" -> ""; a name without a dot or
// ending in one comes back unchanged.
QString StripExtension(const QString& name);

// Appends the platform's separator unless the path already ends with it ("" becomes the separator).
void AddBackslash(QString& path);

// The user's temporary folder with a trailing separator: TMPDIR when set, else the private
// per-user runtime folder when there is one, else the system's temporary folder.
QString GetTempFolder();

// Deletes `path` if it is a regular file of this user's. A link is never followed nor removed, and
// no mode is changed to make the removal possible. True when no such file is left.
bool RemoveOwnFile(const QString& path);
