#pragma once

#include "support/StoreFiles.h"
#include "support/TestSupport.h"

#include "core/AtomicWrite.h"
#include "store/StoreActivity.h"

#include <QTemporaryDir>

#include <functional>

namespace storetest {

using testsupport::crlf;
using testsupport::encipherTo;
using testsupport::filesIn;
using testsupport::isReadOnly;
using testsupport::plainOf;

// Resets the process-wide seams when a test ends, also when it fails half-way.
struct SeamReset {
    ~SeamReset()
    {
        AtomicWrite::setFaultHook({});
        StoreActivity::setEventPump({});
    }
};

// A store folder of its own per test: the program folder with the user's files.
struct StoreFolder {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    QString copyFixture(const QString& name) const
    {
        const QString target = path(name);
        testsupport::writeAll(target, testsupport::readAll(testsupport::fixturePath(name)));
        return target;
    }
};

} // namespace storetest
