#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small helpers shared by every test folder.
namespace testsupport {

// Folder with the stores written by an independent implementation of the file format.
QString fixturesDir();
QString fixturePath(const QString& name);

QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& bytes);

// The permission bits, not what the current user may do (root may write anything).
bool isReadOnly(const QString& path);

// The files of a folder, hidden ones included, sorted by name.
QStringList filesIn(const QString& folder);

// The files of `folder` whose bytes contain `needle`. A store's plaintext marker found in one means
// the plaintext reached the disk.
QStringList filesHolding(const QString& folder, const QByteArray& needle);

} // namespace testsupport
