// Importing 10,000 CSV rows (reading the file, recognising the layout, checking every row and adding
// all entries in one write cycle) against the bare cipher work of the resulting store (deciphering it
// and enciphering it into a new file). After the table it prints one line with the ratio.
#include "cli/CsvImport.h"
#include "cli/CsvReader.h"
#include "crypto/clsBlowfish.h"
#include "store/StoreSession.h"

#include "core/AtomicWrite.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const QString kKey = QStringLiteral("Benchmark-Passwort");
constexpr int kRows = 10000;

QByteArray exportCsv(int n)
{
    QByteArray csv = "Account,User,Password,Web,Comment\r\n";
    for (int i = 0; i < n; ++i) {
        const QByteArray id = QByteArray::number((static_cast<long long>(i) * 7919) % n);
        csv += "Konto " + id + " Bank,nutzer" + id + ",pw-" + id + ",www.beispiel.de,\"Zeile\r\nzwei\"\r\n";
    }
    return csv;
}

// One import into a new, empty store in `dir`; the store file's path.
// The new user's empty store the import goes into.
QString newStore(const QTemporaryDir& dir)
{
    const QString file = dir.filePath(QStringLiteral("bench.dat"));
    QFile::remove(file);
    AtomicWrite::writeFile(file, QByteArrayLiteral("\r\n"), AtomicWrite::kOwnerOnly);
    return file;
}

void importInto(const QString& file, const QByteArray& csv, benchmark::State& state)
{
    QList<CsvReader::Record> records;
    QList<CsvImport::Row> rows;
    QString error;
    if (!CsvReader::parse(csv, records, error) || !CsvImport::rows(records, rows, error)) {
        state.SkipWithError(error.toUtf8().constData());
        return;
    }
    QList<QPair<QString, AccountEntry>> entries;
    entries.reserve(rows.size());
    for (const CsvImport::Row& row : rows)
        entries.append({row.name, row.entry});
    StoreSession session;
    session.beginFile(file, kKey);
    int failed = -1;
    if (!session.unlock().ok() || !session.addEntries(entries, failed).ok())
        state.SkipWithError("import failed");
}

void BM_Import(benchmark::State& state)
{
    QTemporaryDir dir;
    const QByteArray csv = exportCsv(kRows);
    for (auto _ : state) {
        state.PauseTiming();
        const QString file = newStore(dir);
        state.ResumeTiming();
        importInto(file, csv, state);
    }
}
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond);

void BM_CipherOfResult(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = newStore(dir);
    importInto(file, exportCsv(kRows), state);
    const QString copy = dir.filePath(QStringLiteral("copy.dat"));
    clsBlowfish cipher;
    QByteArray plain;
    for (auto _ : state) {
        cipher.DecryptFileToBytes(file, plain, kKey);
        cipher.EncryptBytesToFile(plain, copy, kKey);
    }
}
BENCHMARK(BM_CipherOfResult)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                m_times[name].push_back(run.GetAdjustedRealTime());
            else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                m_medians[name] = run.GetAdjustedRealTime();
        }
    }
    // Real time per iteration, the median over the repetitions (--benchmark_repetitions) so that one
    // disturbed run does not decide; both benchmarks report in the same unit.
    double time(const std::string& name)
    {
        if (m_medians.count(name))
            return m_medians[name];
        std::vector<double>& all = m_times[name];
        if (all.empty())
            return 0;
        std::sort(all.begin(), all.end());
        const std::size_t n = all.size();
        return n % 2 == 1 ? all[n / 2] : (all[n / 2 - 1] + all[n / 2]) / 2;
    }
    std::map<std::string, std::vector<double>> m_times;
    std::map<std::string, double> m_medians;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double import = reporter.time("BM_Import");
    const double cipher = reporter.time("BM_CipherOfResult");
    if (import > 0 && cipher > 0)
        std::printf("import of %d rows / cipher work of the resulting store: %.2f (goal: at most 3)\n", kRows,
                    import / cipher);
    benchmark::Shutdown();
    return 0;
}
