#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// CSV as RFC 4180 writes it: records end in CR LF; a field is quoted when it holds a comma, a
// quote, a CR or an LF, and quotes inside are doubled. The text is UTF-8 without a byte order mark.
class CsvWriter {
public:
    // Guard::Formulas: a field that begins with '=', '+', '-' or '@' gets a leading "'", so that a
    // spreadsheet shows it as text instead of running it as a formula.
    enum class Guard { None, Formulas };

    static QString field(const QString& value, Guard guard = Guard::None);
    // Appends one record to `out`.
    static void appendRecord(QByteArray& out, const QStringList& fields, Guard guard = Guard::None);
};
