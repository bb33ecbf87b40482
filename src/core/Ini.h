#pragma once

#include <QString>
#include <QVariant>

// The two profile primitives: each call reads or writes the file as it is on disk, one value.
// Neither reports failure: an unreadable file reads as empty, an unwritable one loses the change.

// The value, or `defaultValue` converted to text when the value is missing or empty.
QString ReadIni(const QString& section, const QString& key, const QString& file,
                const QVariant& defaultValue = QString());

void WriteIni(const QString& section, const QString& key, const QString& value, const QString& file);
