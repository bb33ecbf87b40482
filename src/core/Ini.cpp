#include "core/Ini.h"

#include "core/IniDocument.h"

QString ReadIni(const QString& section, const QString& key, const QString& file, const QVariant& defaultValue)
{
    std::optional<IniDocument> doc = IniDocument::load(file);
    const QString value = doc ? doc->value(section, key) : QString();
    if (doc)
        doc->clear();
    return value.isEmpty() ? defaultValue.toString() : value;
}

void WriteIni(const QString& section, const QString& key, const QString& value, const QString& file)
{
    // A file that exists but cannot be read is left alone rather than replaced by one key.
    std::optional<IniDocument> doc = IniDocument::load(file);
    if (!doc)
        return;
    doc->setValue(section, key, value);
    doc->save(file);
    doc->clear();
}
