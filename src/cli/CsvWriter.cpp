#include "cli/CsvWriter.h"

QString CsvWriter::field(const QString& text, Guard guard)
{
    QString value = text;
    if (guard == Guard::Formulas && !value.isEmpty() &&
        (value.front() == u'=' || value.front() == u'+' || value.front() == u'-' || value.front() == u'@'))
        value.prepend(QLatin1Char('\''));
    const bool quote = value.contains(u',') || value.contains(u'"') || value.contains(u'\r')
                       || value.contains(u'\n');
    if (!quote)
        return value;
    QString quoted = value;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void CsvWriter::appendRecord(QByteArray& out, const QStringList& fields, Guard guard)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += field(fields.at(i), guard);
    }
    line += QStringLiteral("\r\n");
    out += line.toUtf8();
}
