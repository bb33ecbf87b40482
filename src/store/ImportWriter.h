#pragma once

#include "store/AccountEntry.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What an import adds to a store's text, written straight into the plaintext: the list keys of the
// new entries and their sections, with exactly the bytes that adding the entries one after the other
// gives (Count, Account<Count> and the new section each time), but built in one buffer sized once.
namespace ImportWriter {

// Sets Count to storedCount + n and Account<storedCount + i + 1> to the i-th entry's name in the list
// section `listSection` of `text`, then appends the entries' sections, the i-th named
// `sectionNames[i]`. The entries must have passed the new-entry checks, and their sections must be
// new to the text and differ from each other in upper case. The old text is wiped.
void write(QByteArray& text, const QString& listSection, int storedCount,
           const QList<QPair<QString, AccountEntry>>& entries, const QStringList& sectionNames);

} // namespace ImportWriter
