#include "store/TextModeStore.h"

#include "store/StoreActivity.h"
#include "store/StoreCycle.h"

#include "app/Cp1252.h"
#include "app/Wipe.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString kNoUserFile = QStringLiteral("Für diesen Benutzer gibt es keine Datei.");
const QString kNotLoaded = QStringLiteral("Es ist kein Text geladen.");
const QString kReadOnly =
    QStringLiteral("Der Text wird nicht gespeichert, weil er nicht wie ein gültiger Passwort-Speicher "
                   "aussieht.");
const QString kNotRepresentable =
    QStringLiteral("Der Text enthält Zeichen, die nicht gespeichert werden können (außerhalb von "
                   "Windows-1252).   ");

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

TextModeStore::TextModeStore() = default;

TextModeStore::~TextModeStore()
{
    clear();
}

QString TextModeStore::warningText()
{
    return QStringLiteral("Der entschlüsselte Inhalt sieht nicht wie ein Passwort-Speicher aus "
                          "(falsches Master-Passwort?).\r\nDer Text wird nur zum Lesen geöffnet und "
                          "nicht zurückgeschrieben.   ");
}

StoreResult TextModeStore::LoadPwdDat(const QString& userFile, const QString& masterPassword)
{
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);
    clear();
    if (!QFileInfo(userFile).isFile())
        return StoreResult::failure(StoreError::MissingUserFile, kNoUserFile);

    StoreCycle cycle;
    StoreResult r = cycle.open(userFile, masterPassword);
    if (!r)
        return r;
    m_plausible = isPlausibleStoreText(cycle.plain());
    QString decoded = Cp1252::decode(cycle.plain());
    m_text = formatText(decoded);
    Wipe::text(decoded);

    m_userFile = userFile;
    m_password = masterPassword;
    m_loaded = true;
    return StoreResult::success();
}

StoreResult TextModeStore::writeBack(const QString& text)
{
    // Order: the new text is enciphered into a temporary file beside the user file and renamed over
    // it, read-only; until then the old file is complete. The text is never written in clear.
    if (!m_loaded)
        return StoreResult::validation(kNotLoaded, StoreField::None);
    if (!m_plausible)
        return StoreResult::validation(kReadOnly, StoreField::None);
    if (!Cp1252::isRepresentable(text))
        return StoreResult::validation(kNotRepresentable, StoreField::None);
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);

    StoreCycle cycle;
    cycle.begin(Cp1252::encode(text + QStringLiteral("\r\n")));
    return cycle.commit(m_userFile, m_password);
}

QString TextModeStore::formatText(const QString& plaintext)
{
    QString out;
    out.reserve(plaintext.size() + plaintext.size() / 8 + 2);
    const qsizetype n = plaintext.size();
    qsizetype start = 0;
    bool first = true;
    // A line end at the very end of the text opens no further line; the empty text is one empty line.
    while (first || start < n) {
        qsizetype end = start;
        while (end < n && plaintext[end] != u'\r' && plaintext[end] != u'\n')
            ++end;
        const QStringView line = QStringView(plaintext).sliced(start, end - start);
        if (first) {
            out += line;
            out += u"\r\n";
            first = false;
        } else if (!line.isEmpty()) {
            if (line.startsWith(u'['))
                out += u"\r\n";
            out += line;
            out += u"\r\n";
        }
        if (end < n && plaintext[end] == u'\r' && end + 1 < n && plaintext[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    return out;
}

bool TextModeStore::isPlausibleStoreText(const QByteArray& plaintext)
{
    for (const char ch : plaintext) {
        const auto b = static_cast<unsigned char>(ch);
        const bool control = (b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F;
        // The bytes Windows-1252 leaves undefined never come from typed text either.
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        if (control || undefined)
            return false;
    }
    if (std::all_of(plaintext.cbegin(), plaintext.cend(), isBlank))
        return true;
    qsizetype start = 0;
    while (start < plaintext.size()) {
        qsizetype end = start;
        while (end < plaintext.size() && plaintext[end] != '\r' && plaintext[end] != '\n')
            ++end;
        const QByteArray line = plaintext.mid(start, end - start).trimmed();
        if (line.startsWith('[') && line.indexOf(']') > 0)
            return true;
        start = end + 1;
    }
    return false;
}

void TextModeStore::clear()
{
    Wipe::text(m_text);
    Wipe::text(m_password);
    m_userFile.clear();
    m_plausible = false;
    m_loaded = false;
}
