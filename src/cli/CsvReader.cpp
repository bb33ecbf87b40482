#include "cli/CsvReader.h"

#include <QStringDecoder>

#include <algorithm>
#include <utility>

bool CsvReader::parse(const QByteArray& utf8, QList<Record>& records, QString& error)
{
    records.clear();
    error.clear();
    QByteArrayView bytes(utf8);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        error = QStringLiteral("Die Datei ist kein gültiger UTF-8-Text.");
        return false;
    }

    Record record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;  // a record with one empty field still counts when it was quoted
    int line = 1;
    record.line = 1;
    qsizetype fieldsPerRecord = 0;
    const auto takeField = [&] {
        record.fields.append(std::move(field));
        field = QString();
    };
    const auto endRecord = [&] {
        takeField();
        const bool blank = record.fields.size() == 1 && record.fields.first().isEmpty() && !fieldStarted;
        fieldsPerRecord = record.fields.size();
        if (!blank)
            records.append(std::move(record));
        record = Record();
        // The next record most likely has as many fields as this one.
        record.fields.reserve(fieldsPerRecord);
        fieldStarted = false;
    };
    // Runs of ordinary characters are taken whole: a field is mostly one run, copied once.
    const QStringView all(text);
    const qsizetype n = all.size();
    const char16_t* chars = all.utf16();
    const auto append = [&](qsizetype from, qsizetype to) {
        if (to > from)
            field.append(all.sliced(from, to - from));
    };
    qsizetype i = 0;
    while (i < n) {
        if (quoted) {
            const qsizetype quote = all.indexOf(u'"', i);
            const qsizetype runEnd = quote < 0 ? n : quote;
            line += static_cast<int>(std::count(chars + i, chars + runEnd, u'\n'));
            append(i, runEnd);
            if (quote < 0)
                break;
            if (quote + 1 < n && chars[quote + 1] == u'"') {
                field.append(u'"');
                i = quote + 2;
            } else {
                quoted = false;
                i = quote + 1;
            }
            continue;
        }
        qsizetype runEnd = i;
        while (runEnd < n && chars[runEnd] != u',' && chars[runEnd] != u'"' && chars[runEnd] != u'\n' &&
               chars[runEnd] != u'\r')
            ++runEnd;
        if (runEnd > i) {
            append(i, runEnd);
            fieldStarted = true;
        }
        if (runEnd == n)
            break;
        const char16_t c = chars[runEnd];
        i = runEnd + 1;
        if (c == u'"') {
            quoted = true;
            fieldStarted = true;
        } else if (c == u',') {
            takeField();
            fieldStarted = true;
        } else if (c == u'\r') {
            // CR LF ends the record at the LF; a lone CR is part of the field.
            if (i < n && chars[i] == u'\n')
                continue;
            field.append(u'\r');
            fieldStarted = true;
        } else {
            endRecord();
            ++line;
            record.line = line;
        }
    }
    if (quoted) {
        error = QStringLiteral("Die Datei endet in einem Feld mit offenem Anführungszeichen (ab Zeile %1).")
                    .arg(record.line);
        return false;
    }
    if (fieldStarted || !field.isEmpty() || !record.fields.isEmpty())
        endRecord();
    return true;
}
