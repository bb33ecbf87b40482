#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// CSV as RFC 4180 reads it, and as the password managers' exports write it: fields split at commas,
// quoted fields may hold commas, quotes ("" for one) and line breaks; records end at LF or CR LF.
// A UTF-8 byte order mark in front is skipped.
class CsvReader {
public:
    struct Record {
        int line = 0;  // the line of the file where the record begins, from 1
        QStringList fields;
    };

    // The records of `utf8`, or false with `error` set to a German sentence (not UTF-8, a quote
    // left open). Blank lines are skipped.
    static bool parse(const QByteArray& utf8, QList<Record>& records, QString& error);
};
