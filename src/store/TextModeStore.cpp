#include "store/TextModeStore.h"

#include "store/MasterPasswordChange.h"
#include "store/PlaintextFilter.h"
#include "store/StoreActivity.h"
#include "store/StoreCycle.h"
#include "store/UserStoreFile.h"

#include "core/Cp1252.h"
#include "core/Wipe.h"

#include <QFileInfo>

namespace {

const QString kNotLoaded = QStringLiteral("Es ist kein Text geladen.");
const QString kNotStoreText =
    QStringLiteral("Der Text wird nicht gespeichert, weil er nicht wie ein gültiger Passwort-Speicher "
                   "aussieht (Steuerzeichen oder kein Abschnitt wie [Main]).");
const QString kNotRepresentable =
    QStringLiteral("Der Text enthält Zeichen, die nicht gespeichert werden können (außerhalb von "
                   "Windows-1252).   ");

} // namespace

TextModeStore::TextModeStore() = default;

TextModeStore::~TextModeStore()
{
    clear();
}

StoreResult TextModeStore::LoadPwdDat(const QString& userFile, const QString& masterPassword)
{
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);
    clear();
    if (!QFileInfo(userFile).isFile())
        return StoreResult::failure(StoreError::MissingUserFile);

    StoreCycle cycle;
    StoreResult r = cycle.open(userFile, masterPassword);
    if (!r)
        return r;
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
    if (!Cp1252::isRepresentable(text))
        return StoreResult::validation(kNotRepresentable, StoreField::None);
    StoreActivity::Scope scope;
    if (!scope.acquired())
        return StoreResult::failure(StoreError::Busy);
    // The first write keys a new user's placeholder: with the password of this opening.
    if (UserStoreFile::isPlaceholder(m_userFile)) {
        const StoreResult key = MasterPasswordChange::checkNewKey(m_password, StoreField::None);
        if (!key)
            return key;
    }
    QByteArray plain = Cp1252::encode(text + QStringLiteral("\r\n"));
    if (!PlaintextFilter::isPlausible(plain)) {
        Wipe::bytes(plain);
        return StoreResult::validation(kNotStoreText, StoreField::None);
    }
    StoreCycle cycle;
    cycle.begin(std::move(plain));
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

void TextModeStore::clear()
{
    Wipe::text(m_text);
    Wipe::text(m_password);
    m_userFile.clear();
    m_loaded = false;
}
