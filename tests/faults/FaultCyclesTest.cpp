// Every write cycle with a file fault at every one of its write-side calls: EIO and ENOSPC, once and
// from then on. After each run the store must open with the right key to a complete store (the old
// content or the new, nothing else), no file may hold plaintext, and the run must have reported a
// failure whenever a fault struck (never success with the old or a broken store).
//
// The cycles run in their own processes (fault_driver over the store library, and the real
// keywarden-cli) with the fault library preloaded; see FaultShim.c for its settings.
#include "support/StoreFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <optional>

namespace {

const QString kKey = QStringLiteral("geheim1");
const QString kNewKey = QStringLiteral("neues-geheim");

enum class Target {
    Store,           // anna.dat, under kKey before and after
    StoreRekeyed,    // anna.dat, under kKey before and kNewKey after; anna.bak holds the old file
    NewStore,        // neu.dat: absent before, the placeholder after
    Settings,        // Keywarden.ini
};

struct Cycle {
    const char* name;
    bool cli;        // the real keywarden-cli, else fault_driver
    Target target;
    // The cycle whose end is this one's start: its preparing steps (unfaulted) do that cycle's work.
    const char* startsAfter = nullptr;
};

const Cycle kCycles[] = {
    {"save", false, Target::Store},
    {"rename", false, Target::Store},
    {"delete", false, Target::Store},
    {"new-entry", false, Target::Store},
    {"lock", false, Target::Store, "delete"},
    {"master-password", false, Target::StoreRekeyed},
    {"text-mode", false, Target::Store},
    {"new-user", false, Target::NewStore},
    {"settings", false, Target::Settings},
    {"cli-add", true, Target::Store},
};

void PrintTo(const Cycle& cycle, std::ostream* os)
{
    *os << cycle.name;
}

enum class Content { Old, New, Other };

const char* contentName(Content c)
{
    return c == Content::Old ? "old" : c == Content::New ? "new" : "neither old nor new";
}

// The figures over all cycles, printed when the program ends.
struct Figures {
    int runs = 0;
    int faultsInjected = 0;
    int storesLost = 0;
    int failuresReportedAsSuccess = 0;
    int plaintextFiles = 0;
    ~Figures()
    {
        std::printf("fault figures: %d runs, %d faults injected, %d stores lost, %d failures reported as "
                    "success, %d plaintext files\n",
                    runs, faultsInjected, storesLost, failuresReportedAsSuccess, plaintextFiles);
    }
};
Figures s_figures;

struct RunResult {
    int exitCode = -1;
    QByteArray err;
    long calls = 0;
    long injected = 0;
    QString first;
};

struct Fault {
    long at = 0;  // 0: none
    const char* error = "EIO";
    bool persist = false;
};

// One folder per run: the stores (the faulted folder), and the temporary and runtime folders the
// process is given, outside it.
class RunFolder {
public:
    RunFolder()
    {
        QDir root(m_root.path());
        root.mkdir(QStringLiteral("stores"));
        root.mkdir(QStringLiteral("tmp"));
        root.mkdir(QStringLiteral("runtime"));
        copy(QStringLiteral("anna.dat"));
        testsupport::writeAll(stores(QStringLiteral("Keywarden.ini")),
                              "[Tarvenic Keywarden]\r\nDefaultUser=anna\r\nTop=1200\r\n");
    }

    QString root(const QString& name) const { return m_root.filePath(name); }
    QString stores(const QString& name = {}) const
    {
        return name.isEmpty() ? m_root.filePath(QStringLiteral("stores")) : m_root.filePath(QStringLiteral("stores/") + name);
    }

private:
    void copy(const QString& fixture) const
    {
        testsupport::writeAll(stores(fixture), testsupport::readAll(testsupport::fixturePath(fixture)));
        QFile::setPermissions(stores(fixture), QFileDevice::ReadOwner);
    }

    QTemporaryDir m_root;
};

RunResult runCycle(const Cycle& cycle, const RunFolder& folder, const Fault& fault)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(KEYWARDEN_FAULT_SHIM));
    // An instrumented build wants its own runtime first; the preloaded library is harmless to it.
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               (asan.isEmpty() ? QString() : asan + QLatin1Char(':')) + QStringLiteral("verify_asan_link_order=0"));
    env.insert(QStringLiteral("KEYWARDEN_FAULT_DIR"), folder.stores());
    // The lock beside the stores guards the writes; its own calls write no store data.
    env.insert(QStringLiteral("KEYWARDEN_FAULT_IGNORE"), QStringLiteral("keywarden.lock"));
    env.insert(QStringLiteral("KEYWARDEN_FAULT_AT"), QString::number(fault.at));
    env.insert(QStringLiteral("KEYWARDEN_FAULT_ERRNO"), QString::fromLatin1(fault.error));
    env.insert(QStringLiteral("KEYWARDEN_FAULT_MODE"), fault.persist ? QStringLiteral("persist") : QStringLiteral("once"));
    const QString report = folder.root(QStringLiteral("report.txt"));
    QFile::remove(report);
    env.insert(QStringLiteral("KEYWARDEN_FAULT_REPORT"), report);
    env.insert(QStringLiteral("TMPDIR"), folder.root(QStringLiteral("tmp")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.root(QStringLiteral("runtime")));

    QProcess process;
    process.setProcessEnvironment(env);
    if (cycle.cli) {
        process.start(QStringLiteral(KEYWARDEN_CLI_BINARY),
                      {QStringLiteral("add"), folder.stores(QStringLiteral("anna.dat")), QStringLiteral("Konsole"),
                       QStringLiteral("--user"), QStringLiteral("ich"), QStringLiteral("--web"), QStringLiteral("www.cli.de")});
        process.write("geheim1\nkonsolen-pw\n");
        process.closeWriteChannel();
    } else {
        env.insert(QStringLiteral("KEYWARDEN_FAULT_ARM"), QStringLiteral("manual"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(KEYWARDEN_FAULT_DRIVER), {QString::fromLatin1(cycle.name), folder.stores()});
    }
    RunResult run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.err = process.readAllStandardError();
    const QString line = QString::fromUtf8(testsupport::readAll(report)).trimmed();
    for (const QString& field : line.split(QLatin1Char(' '))) {
        if (field.startsWith(QStringLiteral("calls=")))
            run.calls = field.mid(6).toLong();
        else if (field.startsWith(QStringLiteral("injected=")))
            run.injected = field.mid(9).toLong();
    }
    const qsizetype first = line.indexOf(QStringLiteral("first="));
    if (first >= 0)
        run.first = line.mid(first + 6);
    return run;
}

// What the target holds after a run, against what it held before and after a run without faults.
struct Reference {
    QByteArray oldBytes;
    QByteArray oldPlain;
    QByteArray newPlainOrBytes;
};

Content contentOf(const Cycle& cycle, const RunFolder& folder, const Reference& ref)
{
    switch (cycle.target) {
    case Target::Store: {
        CryptStatus status;
        const QByteArray plain = testsupport::plainOf(folder.stores(QStringLiteral("anna.dat")), kKey, &status);
        if (status != CryptStatus::Ok)
            return Content::Other;
        return plain == ref.oldPlain ? Content::Old : plain == ref.newPlainOrBytes ? Content::New : Content::Other;
    }
    case Target::StoreRekeyed: {
        const QString dat = folder.stores(QStringLiteral("anna.dat"));
        const QString bak = folder.stores(QStringLiteral("anna.bak"));
        // A backup, when there is one, is the old file byte for byte.
        if (QFileInfo::exists(bak) && testsupport::readAll(bak) != ref.oldBytes)
            return Content::Other;
        if (testsupport::opensWith(dat, kKey, ref.oldPlain))
            return Content::Old;
        return testsupport::opensWith(dat, kNewKey, ref.oldPlain) ? Content::New : Content::Other;
    }
    case Target::NewStore: {
        const QString dat = folder.stores(QStringLiteral("neu.dat"));
        if (!QFileInfo::exists(dat))
            return Content::Old;
        return testsupport::readAll(dat) == ref.newPlainOrBytes ? Content::New : Content::Other;
    }
    case Target::Settings: {
        const QByteArray bytes = testsupport::readAll(folder.stores(QStringLiteral("Keywarden.ini")));
        return bytes == ref.oldBytes ? Content::Old : bytes == ref.newPlainOrBytes ? Content::New : Content::Other;
    }
    }
    return Content::Other;
}

Reference referenceBefore(const Cycle& cycle, const RunFolder& folder)
{
    Reference ref;
    if (cycle.startsAfter) {
        // The preparing steps are another cycle's whole work: its end is this one's old state.
        RunFolder scratch;
        const Cycle before{cycle.startsAfter, false, cycle.target};
        if (runCycle(before, scratch, Fault{}).exitCode != 0)
            ADD_FAILURE() << "the preparing cycle " << cycle.startsAfter << " failed";
        ref.oldBytes = testsupport::readAll(scratch.stores(QStringLiteral("anna.dat")));
        ref.oldPlain = testsupport::plainOf(scratch.stores(QStringLiteral("anna.dat")), kKey);
        return ref;
    }
    if (cycle.target == Target::Settings) {
        ref.oldBytes = testsupport::readAll(folder.stores(QStringLiteral("Keywarden.ini")));
    } else {
        ref.oldBytes = testsupport::readAll(folder.stores(QStringLiteral("anna.dat")));
        ref.oldPlain = testsupport::plainOf(folder.stores(QStringLiteral("anna.dat")), kKey);
    }
    return ref;
}

void takeNewContent(const Cycle& cycle, const RunFolder& folder, Reference& ref)
{
    switch (cycle.target) {
    case Target::Store:
        ref.newPlainOrBytes = testsupport::plainOf(folder.stores(QStringLiteral("anna.dat")), kKey);
        break;
    case Target::StoreRekeyed:
        break;
    case Target::NewStore:
        ref.newPlainOrBytes = testsupport::readAll(folder.stores(QStringLiteral("neu.dat")));
        break;
    case Target::Settings:
        ref.newPlainOrBytes = testsupport::readAll(folder.stores(QStringLiteral("Keywarden.ini")));
        break;
    }
}

// Files that hold a store's plaintext, or carry the old working copy's name, in the stores folder
// and in the process's temporary and runtime folders.
QStringList plaintextFiles(const RunFolder& folder)
{
    QStringList found;
    for (const QString& sub : {QStringLiteral("stores"), QStringLiteral("tmp"), QStringLiteral("runtime")}) {
        const QString dir = folder.root(sub);
        for (const QString& name : testsupport::filesHolding(dir, "[Main]"))
            found << sub + QLatin1Char('/') + name;
        for (const QString& name : testsupport::filesHolding(dir, "kunde7"))
            found << sub + QLatin1Char('/') + name;
        if (QFileInfo::exists(QDir(dir).filePath(QStringLiteral("pstmp.dat"))))
            found << sub + QStringLiteral("/pstmp.dat");
    }
    found.removeDuplicates();
    return found;
}

// How the run reported its end: true for success, false for a failure, nullopt for neither
// (a crash, a usage error).
std::optional<bool> reportedSuccess(const Cycle& cycle, const RunResult& run)
{
    if (run.exitCode == 0)
        return true;
    if (cycle.cli ? run.exitCode == 3 : (run.exitCode == 3 || run.exitCode == 4))
        return false;
    return std::nullopt;
}

// The change is in the file, only its confirmation failed: the driver's status 4, the tool's message.
bool reportedNotConfirmed(const Cycle& cycle, const RunResult& run)
{
    return cycle.cli ? run.err.contains("nicht bestätigt") : run.exitCode == 4;
}

class FaultCycles : public ::testing::TestWithParam<Cycle> {};

TEST_P(FaultCycles, EveryFaultLeavesACompleteStoreNoPlaintextAndIsReported)
{
    const Cycle& cycle = GetParam();

    // The cycle without faults: it succeeds, changes the target, and tells how many calls it makes.
    long steps = 0;
    Reference ref;
    {
        RunFolder folder;
        ref = referenceBefore(cycle, folder);
        const RunResult clean = runCycle(cycle, folder, Fault{});
        ASSERT_EQ(clean.exitCode, 0) << clean.err.toStdString();
        ASSERT_EQ(clean.injected, 0);
        takeNewContent(cycle, folder, ref);
        ASSERT_EQ(contentOf(cycle, folder, ref), Content::New);
        ASSERT_TRUE(plaintextFiles(folder).isEmpty()) << plaintextFiles(folder).join(u' ').toStdString();
        steps = clean.calls;
    }
    ASSERT_GT(steps, 0) << "the fault library counted no call: is it preloaded?";

    int injected = 0;
    for (const char* error : {"EIO", "ENOSPC"}) {
        for (const bool persist : {false, true}) {
            for (long at = 1; at <= steps; ++at) {
                RunFolder folder;
                const RunResult run = runCycle(cycle, folder, Fault{at, error, persist});
                const Content content = contentOf(cycle, folder, ref);
                const std::optional<bool> success = reportedSuccess(cycle, run);
                const QStringList plain = plaintextFiles(folder);
                const std::string where = std::string(cycle.name) + ", fault " + std::to_string(at) + "/" +
                                          std::to_string(steps) + " " + error + (persist ? " from then on" : " once") +
                                          " at " + run.first.toStdString() + ": exit " + std::to_string(run.exitCode) +
                                          ", content " + contentName(content) + "; " + run.err.trimmed().toStdString();

                ++s_figures.runs;
                if (run.injected > 0) {
                    ++injected;
                    ++s_figures.faultsInjected;
                }
                if (content == Content::Other)
                    ++s_figures.storesLost;
                if (success == true && (run.injected > 0 || content != Content::New))
                    ++s_figures.failuresReportedAsSuccess;
                s_figures.plaintextFiles += static_cast<int>(plain.size());

                EXPECT_GT(run.injected, 0) << where;
                EXPECT_NE(content, Content::Other) << where;
                ASSERT_TRUE(success.has_value()) << where;
                if (*success) {
                    ADD_FAILURE() << "a failure was reported as success: " << where;
                } else if (content == Content::New) {
                    // Only the folder flush after the rename may fail with the change in place, and
                    // a store operation says so.
                    EXPECT_TRUE(run.first.endsWith(QLatin1Char(' ') + folder.stores())) << where;
                    if (cycle.target != Target::Settings) {
                        EXPECT_TRUE(reportedNotConfirmed(cycle, run)) << where;
                    }
                }
                EXPECT_TRUE(plain.isEmpty()) << plain.join(u' ').toStdString() << " - " << where;
            }
        }
    }
    EXPECT_EQ(injected, 4 * steps);
}

INSTANTIATE_TEST_SUITE_P(WriteCycles, FaultCycles, ::testing::ValuesIn(kCycles),
                         [](const ::testing::TestParamInfo<Cycle>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (c == '-')
                                     c = '_';
                             }
                             return name;
                         });

} // namespace
