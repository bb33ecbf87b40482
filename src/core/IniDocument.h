#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <initializer_list>
#include <optional>
#include <utility>

// An INI file held in memory for the length of one operation: parsed once, read and changed
// with the rules of the Windows profile functions, serialised once. Whatever series of setValue
// calls built it, toBytes() gives exactly the bytes that the same series of key-by-key profile
// writes would leave on disk (Windows-1252, CR LF).
//
// Rules: section and key names match without regard to case over all Windows-1252 letters; the
// first matching section and key win; names keep the case in which they were first written; an
// existing key is replaced in place; a missing key is appended at the end of its section; a
// missing section is appended at the end of the file; lines before the first section are ignored.
// Reading drops blanks around names and values and one pair of matching quotes enclosing a value,
// as the Windows reader does; a value that this would change is written inside one more pair of
// double quotes, so every value reads back exactly as written. A line break in a name or value is
// written as a blank. Lines without '=' are kept but are no keys.
// Lookups are hashed, so one operation over thousands of keys stays linear.
class IniDocument {
public:
    // Longest value the profile reader hands back; longer values are cut on reading.
    static constexpr int kMaxValueLength = 2047;

    IniDocument();
    ~IniDocument();
    IniDocument(const IniDocument&);
    IniDocument& operator=(const IniDocument&);
    IniDocument(IniDocument&&) noexcept;
    IniDocument& operator=(IniDocument&&) noexcept;

    static IniDocument fromBytes(const QByteArray& bytes);
    QByteArray toBytes() const;

    // A missing file gives an empty document; nullopt only when the file exists but cannot be read.
    static std::optional<IniDocument> load(const QString& path);
    // Writes atomically (temporary file, flush, rename), owner-only; false when nothing could be
    // written. A write-protected file is left as it is, as the profile writer leaves it.
    bool save(const QString& path) const;

    // The value as the profile reader returns it: empty when the section or key is missing or
    // the value is empty; cut to kMaxValueLength characters.
    QString value(const QString& section, const QString& key) const;
    // value(section, prefix + N) for N = 1 .. count, in that order, with the section looked up once:
    // reading a numbered list of thousands of keys costs one hash lookup a key.
    QStringList numberedValues(const QString& section, const QString& prefix, int count) const;
    bool hasSection(const QString& section) const;
    // The form in which a section or key name is matched: one line, blanks around it dropped,
    // upper case per byte (Cp1252::upper). A header line holds the name it stands for in this form.
    static QByteArray nameKey(const QString& name);
    void setValue(const QString& section, const QString& key, const QString& value);
    // setValue(section, key, value) for each pair in turn, the section's name worked out once.
    void setValues(const QString& section, const QList<std::pair<QString, QString>>& values);
    // Appends to `out` exactly the bytes that setValue(section, key, value) for each pair in turn
    // adds to a document without a section of that name, when the keys differ from each other:
    // many new sections are serialised without building their lines.
    static void appendNewSection(QByteArray& out, const QString& section,
                                 std::initializer_list<std::pair<QString, QString>> values);
    // The single lines of appendNewSection: the header line of a new section, and the line of a key
    // that its section does not hold yet, written onto `out` without building them first. Reserving
    // room in `out` beforehand saves the wiped move to a larger buffer.
    static void appendHeaderLine(QByteArray& out, QStringView section);
    static void appendKeyLine(QByteArray& out, QStringView key, QStringView value);
    // The same lines written at `dst`, which has room for section.size() + kHeaderLineExtra or
    // key.size() + value.size() + kKeyLineExtra bytes; the end of what was written. For a writer
    // that sizes its buffer once for thousands of lines.
    static constexpr qsizetype kHeaderLineExtra = 4;
    static constexpr qsizetype kKeyLineExtra = 5;
    static char* putHeaderLine(char* dst, QStringView section);
    static char* putKeyLine(char* dst, QStringView key, QStringView value);

    // The raw lines (without line ends), for the one line-based store procedure that removes a
    // whole section. setLines re-indexes the document.
    QStringList lines() const;
    void setLines(const QStringList& lines);

    // Wipes the text held (it is plaintext of a store) and empties the document.
    void clear();

private:
    struct Impl;
    Impl* d;
};
