// Store operations on generated stores of 1,000 and 10,000 accounts against the bare cipher work each
// needs (deciphering the file into memory for reads, plus enciphering into a new file for writes) on
// the same file. After the
// table it prints the slowest operation at 10,000 accounts over its cipher work, and over itself at
// 1,000 accounts. Then the search window's keystroke at 10,000 names: the slowest typed step of a word.
#include "crypto/clsBlowfish.h"
#include "store/AccountSearch.h"
#include "store/PlaintextFilter.h"
#include "store/StoreSession.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringListModel>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const QString kKey = QStringLiteral("Benchmark-Passwort");
constexpr int kSizes[] = {1000, 10000};

// Names in an order unrelated to their sorted order, so that the list really has to be sorted.
QString accountName(int i, int n)
{
    const int shuffled = static_cast<int>((static_cast<long long>(i) * 7919) % n);
    return QStringLiteral("Konto %1 Bank").arg(shuffled, 5, 10, QLatin1Char('0'));
}

// About 130 bytes an entry: its list key and its section of four keys.
QByteArray generatedStore(int n)
{
    QByteArray text = "[Main]\r\nCount=" + QByteArray::number(n) + "\r\n";
    for (int i = 1; i <= n; ++i)
        text += "Account" + QByteArray::number(i) + "=" + accountName(i, n).toLatin1() + "\r\n";
    for (int i = 1; i <= n; ++i) {
        const QByteArray id = QByteArray::number(i);
        text += "[" + accountName(i, n).toLatin1() + "]\r\nUser=nutzer" + id + "\r\nPass=pw-" + id +
                "\r\nWeb=www.beispiel.de\r\nComment=Zeile#\xA7zwei\r\n";
    }
    return text;
}

struct Store {
    QTemporaryDir dir;
    QString userFile;
    std::unique_ptr<StoreSession> session;
};

std::map<int, std::unique_ptr<Store>>& stores()
{
    static std::map<int, std::unique_ptr<Store>> s;
    return s;
}

// A fresh store per size and benchmark, so operations that grow or shrink it start from the same state.
Store& freshStore(int n)
{
    auto store = std::make_unique<Store>();
    store->userFile = store->dir.filePath(QStringLiteral("bench.dat"));
    clsBlowfish cipher;
    cipher.EncryptBytesToFile(generatedStore(n), store->userFile, kKey);
    store->session = std::make_unique<StoreSession>();
    store->session->begin(store->dir.path(), QStringLiteral("bench"), kKey);
    store->session->unlock();
    stores()[n] = std::move(store);
    return *stores()[n];
}

void check(benchmark::State& state, const StoreResult& r)
{
    if (!r.ok())
        state.SkipWithError(r.message.toUtf8().constData());
}

void bareDecipher(benchmark::State& state, int n)
{
    Store& store = freshStore(n);
    clsBlowfish cipher;
    cipher.setKey(kKey);
    QByteArray plain;
    for (auto _ : state)
        cipher.DecryptFileToBytes(store.userFile, plain, kKey);
}

void bareDecipherEncipher(benchmark::State& state, int n)
{
    Store& store = freshStore(n);
    const QString copy = store.dir.filePath(QStringLiteral("copy.dat"));
    clsBlowfish cipher;
    cipher.setKey(kKey);
    QByteArray plain;
    for (auto _ : state) {
        cipher.DecryptFileToBytes(store.userFile, plain, kKey);
        cipher.EncryptBytesToFile(plain, copy, kKey);
    }
}

void opUnlock(benchmark::State& state, int n)
{
    StoreSession& s = *freshStore(n).session;
    for (auto _ : state)
        check(state, s.unlock());
}

void opRead(benchmark::State& state, int n)
{
    StoreSession& s = *freshStore(n).session;
    const QString name = accountName(n / 2, n);
    AccountEntry entry;
    for (auto _ : state)
        check(state, s.readEntry(name, entry));
}

void opSave(benchmark::State& state, int n)
{
    StoreSession& s = *freshStore(n).session;
    const QString name = accountName(n / 2, n);
    const AccountEntry entry{QStringLiteral("neu"), QStringLiteral("pw"), QStringLiteral("www.x.de"), QStringLiteral("a\r\nb")};
    for (auto _ : state)
        check(state, s.saveEntry(name, name, entry));
}

void opRename(benchmark::State& state, int n)
{
    StoreSession& s = *freshStore(n).session;
    QString from = accountName(n / 2, n);
    QString to = QStringLiteral("Umbenannt");
    const AccountEntry entry{QStringLiteral("neu"), QStringLiteral("pw"), QString(), QString()};
    for (auto _ : state) {
        check(state, s.saveEntry(from, to, entry));
        std::swap(from, to);
    }
}

void opDelete(benchmark::State& state, int n)
{
    StoreSession& s = *freshStore(n).session;
    int i = 0;
    for (auto _ : state)
        check(state, s.deleteEntry(accountName(++i, n)));
}

void opAdd(benchmark::State& state, int n)
{
    StoreSession& s = *freshStore(n).session;
    const AccountEntry entry{QStringLiteral("neu"), QStringLiteral("pw"), QStringLiteral("www.x.de"), QString()};
    int i = 0;
    for (auto _ : state)
        check(state, s.addEntry(QStringLiteral("Neu %1").arg(++i), entry));
}

void opLockChanged(benchmark::State& state, int n)
{
    Store& store = freshStore(n);
    StoreSession& s = *store.session;
    const QString first = s.accounts().items().value(0);
    for (auto _ : state) {
        state.PauseTiming();
        // The key back after the previous lock, and one entry saved as it was, so the list is due.
        s.beginPasswordChange(store.dir.path(), QStringLiteral("bench"), kKey);
        AccountEntry entry;
        s.readEntry(first, entry);
        s.saveEntry(first, first, entry);
        state.ResumeTiming();
        check(state, s.LockStore());
    }
}

// The check every opened and every written store passes: a share of the cipher work above.
void plausibility(benchmark::State& state, int n)
{
    const QByteArray text = generatedStore(n);
    for (auto _ : state)
        benchmark::DoNotOptimize(PlaintextFilter::isPlausible(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

// Names as people give them: umlauts, ß, accents and digits, in no particular order.
QStringList searchNames(int n)
{
    const QStringList first = {QStringLiteral("Bank"), QStringLiteral("Bär"), QStringLiteral("Straße"),
                               QStringLiteral("Müller"), QStringLiteral("Café"), QStringLiteral("Versand"),
                               QStringLiteral("Öko"), QStringLiteral("Post"), QStringLiteral("Forum")};
    const QStringList second = {QStringLiteral("Online"), QStringLiteral("Gewinnspiel"), QStringLiteral("Größe"),
                                QStringLiteral("Club"), QStringLiteral("Konto"), QStringLiteral("Shop"),
                                QStringLiteral("Verein")};
    QStringList names;
    names.reserve(n);
    for (int i = 0; i < n; ++i) {
        const int k = static_cast<int>((static_cast<long long>(i) * 7919) % n);
        names.append(first.at(k % first.size()) + QLatin1Char(' ') + second.at((k / 9) % second.size())
                     + QLatin1Char(' ') + QString::number(k));
    }
    return names;
}

// What the search window does for one keystroke: fold the typed text, scan every name, and hand
// the result to the list's model (which drops the old rows and takes the new ones).
void filterKeystroke(benchmark::State& state, const QString& typed)
{
    const AccountSearch search(searchNames(10000));
    QStringListModel model(search.names());
    for (auto _ : state) {
        model.setStringList(search.matches(typed));
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["rows"] = model.rowCount();
}

// Opening the window: every name folded once.
void filterOpen(benchmark::State& state)
{
    const QStringList names = searchNames(10000);
    for (auto _ : state) {
        AccountSearch search(names);
        benchmark::DoNotOptimize(search.names().size());
    }
}

// The steps of typing "straße ko" and of clearing the box again (all 10,000 rows back).
const char* const kTyped[] = {"s", "st", "str", "stra", "straß", "straße", "straße ", "straße k", "straße ko", ""};

struct Operation {
    const char* name;
    void (*run)(benchmark::State&, int);
    bool writes;
};
constexpr Operation kOperations[] = {
    {"unlock", opUnlock, false}, {"read", opRead, false},     {"save", opSave, true},
    {"rename", opRename, true},  {"delete", opDelete, true},  {"add", opAdd, true},
    {"lock_changed", opLockChanged, true},
};

std::string label(const std::string& what, int n)
{
    return what + "/" + std::to_string(n);
}

// Keeps the console table and remembers the wall time per iteration of every benchmark by name.
class StoreReporter : public benchmark::ConsoleReporter {
public:
    StoreReporter()
        : ConsoleReporter(OO_Tabular)
    {
    }

    void ReportRuns(const std::vector<Run>& reports) override
    {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            m_seconds[run.run_name.function_name] = run.real_accumulated_time / static_cast<double>(run.iterations);
        }
    }

    double seconds(const std::string& name) const
    {
        const auto it = m_seconds.find(name);
        return it == m_seconds.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> m_seconds;
};

} // namespace

int main(int argc, char** argv)
{
    for (const int n : kSizes) {
        benchmark::RegisterBenchmark(label("cipher_read", n).c_str(), [n](benchmark::State& s) { bareDecipher(s, n); })
            ->UseRealTime()->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(label("cipher_write", n).c_str(), [n](benchmark::State& s) { bareDecipherEncipher(s, n); })
            ->UseRealTime()->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(label("plausible", n).c_str(), [n](benchmark::State& s) { plausibility(s, n); })
            ->UseRealTime()->Unit(benchmark::kMillisecond);
        for (const Operation& op : kOperations) {
            const auto run = op.run;
            benchmark::RegisterBenchmark(label(op.name, n).c_str(), [run, n](benchmark::State& s) { run(s, n); })
                ->UseRealTime()->Unit(benchmark::kMillisecond);
        }
    }
    for (const char* typed : kTyped) {
        const QString text = QString::fromUtf8(typed);
        benchmark::RegisterBenchmark(("filter_keystroke/10000/\"" + std::string(typed) + "\"").c_str(),
                                     [text](benchmark::State& s) { filterKeystroke(s, text); })
            ->UseRealTime()->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("filter_open/10000", filterOpen)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    StoreReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    stores().clear();

    const int big = kSizes[1];
    const int small = kSizes[0];
    const Operation* slowest = &kOperations[0];
    for (const Operation& op : kOperations) {
        if (reporter.seconds(label(op.name, big)) > reporter.seconds(label(slowest->name, big)))
            slowest = &op;
    }
    // The slowest operation at 10,000 accounts is marked; the two closing lines are about it.
    std::printf("\n%-14s %12s %12s %14s %10s\n", "operation", "1k ms", "10k ms", "10k / cipher", "10k / 1k");
    for (const Operation& op : kOperations) {
        const double t10 = reporter.seconds(label(op.name, big));
        const double t1 = reporter.seconds(label(op.name, small));
        const double cipher = reporter.seconds(label(op.writes ? "cipher_write" : "cipher_read", big));
        std::printf("%-14s %12.2f %12.2f %14.2f %10.2f%s\n", op.name, t1 * 1e3, t10 * 1e3,
                    cipher > 0 ? t10 / cipher : 0.0, t1 > 0 ? t10 / t1 : 0.0, &op == slowest ? "  *" : "");
    }
    const double worst10 = reporter.seconds(label(slowest->name, big));
    const double worst1 = reporter.seconds(label(slowest->name, small));
    const double worstCipher = reporter.seconds(label(slowest->writes ? "cipher_write" : "cipher_read", big));
    std::printf("ratio worst op/cipher: %.2f\n", worstCipher > 0 ? worst10 / worstCipher : 0.0);
    std::printf("scaling 10k/1k: %.2f\n", worst1 > 0 ? worst10 / worst1 : 0.0);

    // One keystroke costs what its slowest step costs; the goal is one frame at 60 Hz.
    double keystroke = 0.0;
    for (const char* typed : kTyped)
        keystroke = std::max(keystroke, reporter.seconds("filter_keystroke/10000/\"" + std::string(typed) + "\""));
    if (keystroke > 0)
        std::printf("filter keystroke 10k: %.2f ms\n", keystroke * 1e3);
    return 0;
}
