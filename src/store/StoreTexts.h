#pragma once

#include <QString>

// The German texts that more than one place of the store, the windows or the command line show for
// the same refusal. The trailing blanks are part of the texts: the message boxes have always shown them.
namespace StoreTexts {

inline const QString kUserNameMissing = QStringLiteral("Bitte Benutzername auswählen bzw. eingeben.   ");
inline const QString kMasterPasswordMissing =
    QStringLiteral("Bitte sicherstellen, dass das Master-Passwort korrekt eingegeben wird.");
inline const QString kMasterPasswordTooShort =
    QStringLiteral("Das Master-Passwort sollte mindestens 4 Zeichen lang sein.   ");

inline const QString kNeedUserOrPassword = QStringLiteral("Bitte Benutzernamen und/oder Passwort eingeben.   ");
inline const QString kEmptyName = QStringLiteral("Kann keinen leeren Eintrag speichern.   ");
inline const QString kDuplicateName = QStringLiteral("Ein Account mit diesem Namen existiert bereits.   ");
inline const QString kDeleteEmpty = QStringLiteral("Kann keinen leeren Eintrag löschen.");
inline const QString kInvalidName =
    QStringLiteral("Der Name enthält Zeichen, die nicht gespeichert werden können (Steuerzeichen, "
                   "eckige Klammern oder Zeichen außerhalb von Windows-1252).   ");
inline const QString kInvalidValue =
    QStringLiteral("Der Eintrag enthält Zeichen, die nicht gespeichert werden können (Zeilenumbrüche, "
                   "Steuerzeichen oder Zeichen außerhalb von Windows-1252).   ");
inline const QString kListFull = QStringLiteral("Es können keine weiteren Einträge gespeichert werden.   ");

} // namespace StoreTexts
