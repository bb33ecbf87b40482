#pragma once

#include "cli/CsvReader.h"

#include "store/AccountEntry.h"

#include <QList>
#include <QString>

// Turns the CSV exports of our own tool and of the common password managers into entries. The layout
// is recognised by the names in the header row, not by their order or number; what the store has no
// field for (group, folder, TOTP secret, custom fields) is appended to the comment as "Name: value"
// lines, so nothing is lost on the way.
class CsvImport {
public:
    struct Row {
        int line = 0;  // where the record begins in the file
        QString name;
        AccountEntry entry;
    };

    // The rows of `records` (the header first), or false with `error` set to a German sentence.
    // Values are taken as they are; whether the store can hold them is checked by the caller.
    static bool rows(const QList<CsvReader::Record>& records, QList<Row>& rows, QString& error);
};
