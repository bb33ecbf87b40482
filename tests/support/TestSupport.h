#pragma once

#include <QByteArray>
#include <QString>

// Small helpers shared by every test folder.
namespace testsupport {

// Folder with the stores written by an independent implementation of the file format.
QString fixturesDir();
QString fixturePath(const QString& name);

QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& bytes);

} // namespace testsupport
