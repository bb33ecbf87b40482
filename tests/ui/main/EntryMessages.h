#pragma once

#include <QString>

// The refusals of an entry, the same in the main window's edit and in the new-entry dialog.
inline const QString kNeedUserOrPassword = QStringLiteral("Bitte Benutzernamen und/oder Passwort eingeben.   ");
inline const QString kEmptyName = QStringLiteral("Kann keinen leeren Eintrag speichern.   ");
inline const QString kDuplicateName = QStringLiteral("Ein Account mit diesem Namen existiert bereits.   ");
