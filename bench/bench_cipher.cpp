// Throughput of the store cipher against OpenSSL's Blowfish-CBC on the same buffers. After the
// table it prints our throughput divided by OpenSSL's, for enciphering and for deciphering.
#define OPENSSL_SUPPRESS_DEPRECATED // BF_* is a deprecated API, and the reference we measure against

#include "crypto/clsBlowfish.h"

#include <benchmark/benchmark.h>
#include <openssl/blowfish.h>

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const QString kKey = QStringLiteral("Schlüssel€ für den Benchmark");

struct Size {
    const char* label;
    qsizetype bytes;
};
constexpr Size kSizes[] = {{"64KiB", 64 * 1024}, {"1MiB", 1024 * 1024}};

QByteArray sampleBytes(qsizetype n)
{
    QByteArray bytes(n, Qt::Uninitialized);
    uint32_t x = 0x9E3779B9;
    for (qsizetype i = 0; i < n; ++i) {
        x = x * 1664525u + 1013904223u;
        bytes[i] = static_cast<char>(x >> 24);
    }
    return bytes;
}

void oursEncipher(benchmark::State& state, qsizetype n)
{
    clsBlowfish cipher;
    cipher.setKey(kKey);
    const QByteArray plain = sampleBytes(n);
    for (auto _ : state) {
        QByteArray buffer = plain;
        cipher.EncryptByte(buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * n);
}

void oursDecipher(benchmark::State& state, qsizetype n)
{
    clsBlowfish cipher;
    cipher.setKey(kKey);
    QByteArray enciphered = sampleBytes(n);
    cipher.EncryptByte(enciphered);
    for (auto _ : state) {
        QByteArray buffer = enciphered;
        cipher.DecryptByte(buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * n);
}

void opensslCbc(benchmark::State& state, qsizetype n, int direction)
{
    const QByteArray keyBytes = kKey.toLatin1();
    BF_KEY key;
    BF_set_key(&key, static_cast<int>(keyBytes.size()), reinterpret_cast<const unsigned char*>(keyBytes.constData()));
    const QByteArray in = sampleBytes(n);
    QByteArray out(n, Qt::Uninitialized);
    for (auto _ : state) {
        unsigned char iv[8] = {};
        BF_cbc_encrypt(reinterpret_cast<const unsigned char*>(in.constData()),
                       reinterpret_cast<unsigned char*>(out.data()), static_cast<long>(n), &key, iv, direction);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * n);
}

// Keeps the console table and remembers the CPU time per byte of every benchmark by name.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter()
        : ConsoleReporter(OO_Tabular) // no colour codes: the output is read from files too
    {
    }

    void ReportRuns(const std::vector<Run>& reports) override
    {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            const std::string name = run.run_name.function_name;
            m_cpuSeconds[name] += run.cpu_accumulated_time;
            m_iterations[name] += static_cast<double>(run.iterations);
        }
    }

    // Our throughput over OpenSSL's for one operation, the geometric mean over the sizes.
    double ratio(const std::string& operation) const
    {
        double logSum = 0;
        int count = 0;
        for (const Size& size : kSizes) {
            const double ours = secondsPerIteration(operation + "/ours/" + size.label);
            const double openssl = secondsPerIteration(operation + "/openssl/" + size.label);
            if (ours <= 0 || openssl <= 0)
                continue;
            logSum += std::log(openssl / ours);
            ++count;
        }
        return count > 0 ? std::exp(logSum / count) : 0.0;
    }

private:
    double secondsPerIteration(const std::string& name) const
    {
        const auto time = m_cpuSeconds.find(name);
        const auto iterations = m_iterations.find(name);
        if (time == m_cpuSeconds.end() || iterations == m_iterations.end() || iterations->second == 0)
            return 0;
        return time->second / iterations->second;
    }

    std::map<std::string, double> m_cpuSeconds;
    std::map<std::string, double> m_iterations;
};

} // namespace

int main(int argc, char** argv)
{
    for (const Size& size : kSizes) {
        const qsizetype n = size.bytes;
        const std::string label = size.label;
        benchmark::RegisterBenchmark(("encipher/ours/" + label).c_str(), [n](benchmark::State& s) { oursEncipher(s, n); });
        benchmark::RegisterBenchmark(("encipher/openssl/" + label).c_str(),
                                     [n](benchmark::State& s) { opensslCbc(s, n, BF_ENCRYPT); });
        benchmark::RegisterBenchmark(("decipher/ours/" + label).c_str(), [n](benchmark::State& s) { oursDecipher(s, n); });
        benchmark::RegisterBenchmark(("decipher/openssl/" + label).c_str(),
                                     [n](benchmark::State& s) { opensslCbc(s, n, BF_DECRYPT); });
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("ratio encipher/openssl: %.2f\n", reporter.ratio("encipher"));
    std::printf("ratio decipher/openssl: %.2f\n", reporter.ratio("decipher"));
    return 0;
}
