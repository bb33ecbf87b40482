#pragma once

#include "store/StoreResult.h"

class QWidget;

// The boxes of a window that shows one entry, so that a refused input finds its box in one place:
// the main window and the new-entry dialog name theirs and ask for the one a StoreField means.
struct EntryFieldWidgets {
    QWidget* account = nullptr;
    QWidget* userName = nullptr;
    QWidget* password = nullptr;
    QWidget* webSite = nullptr;
    QWidget* comment = nullptr;

    // The box for `field`; nullptr for a field that is not an entry's (None, the login's boxes).
    QWidget* widgetFor(StoreField field) const;
};
