#include "core/IniDocument.h"

#include <benchmark/benchmark.h>

// One store operation over a large section: n new keys written, then all n read back.
// Hashed lookups keep this linear in n (time per key flat as n grows).
static void BM_IniDocumentWriteThenReadSection(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    QStringList keys;
    for (int i = 1; i <= n; ++i)
        keys.append(QStringLiteral("Account%1").arg(i));
    for (auto _ : state) {
        IniDocument doc;
        for (const QString& key : keys)
            doc.setValue(QStringLiteral("Main"), key, key);
        for (const QString& key : keys)
            benchmark::DoNotOptimize(doc.value(QStringLiteral("MAIN"), key));
        benchmark::DoNotOptimize(doc.toBytes());
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.SetComplexityN(n);
}
BENCHMARK(BM_IniDocumentWriteThenReadSection)->RangeMultiplier(10)->Range(100, 100000)->Complexity();

// Parsing a store of many entry sections and reading one key from each.
static void BM_IniDocumentParseAndReadEntries(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    IniDocument source;
    for (int i = 1; i <= n; ++i) {
        const QString section = QStringLiteral("Entry %1").arg(i);
        source.setValue(section, QStringLiteral("User"), QStringLiteral("user%1").arg(i));
        source.setValue(section, QStringLiteral("Pass"), QStringLiteral("geheim-%1").arg(i));
    }
    const QByteArray bytes = source.toBytes();
    for (auto _ : state) {
        const IniDocument doc = IniDocument::fromBytes(bytes);
        for (int i = 1; i <= n; ++i)
            benchmark::DoNotOptimize(doc.value(QStringLiteral("ENTRY %1").arg(i), QStringLiteral("pass")));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.SetComplexityN(n);
}
BENCHMARK(BM_IniDocumentParseAndReadEntries)->RangeMultiplier(10)->Range(100, 100000)->Complexity();

BENCHMARK_MAIN();
