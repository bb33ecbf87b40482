#include "store/AccountEntry.h"

#include <algorithm>

namespace {

void wipeText(QString& text)
{
    // Only a buffer of our own is overwritten; a shared one belongs to someone else too.
    if (!text.isEmpty() && text.isDetached())
        std::fill(text.begin(), text.end(), QChar(u'\0'));
    text.clear();
}

} // namespace

void AccountEntry::wipe()
{
    wipeText(User);
    wipeText(Pass);
    wipeText(Web);
    wipeText(Comment);
}
