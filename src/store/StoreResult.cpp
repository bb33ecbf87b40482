#include "store/StoreResult.h"

StoreResult StoreResult::failure(StoreError error, const QString& message)
{
    StoreResult r;
    r.error = error;
    r.message = message.isEmpty() ? storeErrorText(error) : message;
    return r;
}

StoreResult StoreResult::validation(const QString& message, StoreField focus, bool clearField, int kind)
{
    StoreResult r;
    r.error = StoreError::Validation;
    r.message = message;
    r.focus = focus;
    r.clearField = clearField;
    r.kind = kind;
    return r;
}

QString storeErrorText(StoreError error)
{
    switch (error) {
    case StoreError::None:
        return {};
    case StoreError::WrongKey:
        return QStringLiteral("Der Speicher kann nicht geöffnet werden: das Master-Passwort ist falsch "
                              "oder die Datei ist beschädigt.");
    case StoreError::Damaged:
        return QStringLiteral("Die Datei ist beschädigt und kann nicht gelesen werden.");
    case StoreError::MissingUserFile:
        return QStringLiteral("Für diesen Benutzer gibt es keine Datei.");
    case StoreError::ReadFailed:
        return QStringLiteral("Die Datei kann nicht gelesen werden.");
    case StoreError::WriteFailed:
        return QStringLiteral("Die Datei konnte nicht geschrieben werden; der bisherige Stand ist "
                              "unverändert erhalten.");
    case StoreError::NotConfirmed:
        return QStringLiteral("Die Änderung ist gespeichert, aber das System hat nicht bestätigt, dass sie "
                              "auf dem Datenträger angekommen ist. Bitte den Datenträger prüfen; nach einem "
                              "Absturz kann der vorige Stand zurückkehren.");
    case StoreError::Busy:
        return QStringLiteral("Es läuft bereits ein anderer Vorgang; bitte noch einmal versuchen.");
    case StoreError::Validation:
        return {};
    }
    return {};
}
