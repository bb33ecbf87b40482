#include "cli/CsvReader.h"

#include <QStringDecoder>

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
    // Each field starts with room for a typical value, so appending it character by character
    // does not reallocate it again and again.
    const auto takeField = [&] {
        record.fields.append(std::move(field));
        field = QString();
        field.reserve(32);
    };
    field.reserve(32);
    const auto endRecord = [&] {
        takeField();
        const bool blank = record.fields.size() == 1 && record.fields.first().isEmpty() && !fieldStarted;
        if (!blank)
            records.append(std::move(record));
        record = Record();
        fieldStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == u'"') {
            quoted = true;
            fieldStarted = true;
        } else if (c == u',') {
            takeField();
            fieldStarted = true;
        } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            continue;
        } else if (c == u'\n') {
            endRecord();
            ++line;
            record.line = line;
        } else {
            field += c;
            fieldStarted = true;
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
