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

// Whether a new file can be created and written at the root of the drive that holds `path`.
// The root is the first two characters of the path on Windows (a lone drive letter gets its
// colon) and the mount point of the file system holding the path elsewhere.
bool IsDriveWritable(const QString& path);

// The root IsDriveWritable probes, with a trailing separator; empty when there is none.
QString DriveRoot(const QString& path);

// Creates a file under a name not yet taken in `folder` (test.txt, test1.txt, ...), writes one
// line to it and deletes it again. A file the user keeps there is never opened for writing.
bool CanCreateFileIn(const QString& folder);
