#include "store/AccountEntry.h"

#include "core/Wipe.h"

void AccountEntry::wipe()
{
    Wipe::text(User);
    Wipe::text(Pass);
    Wipe::text(Web);
    Wipe::text(Comment);
}
