#include "crypto/CRijndael.h"
#include "crypto/modCryptText.h"

#include <QByteArray>
#include <benchmark/benchmark.h>

namespace {

QByteArray pattern(qsizetype length)
{
    QByteArray out(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        out[i] = char((i * 131 + 7) & 0xFF);
    return out;
}

// Whole-message encryption, tables and key schedule included, as every call pays them.
void BM_EncryptData(benchmark::State& state)
{
    const QByteArray message = pattern(state.range(0));
    const QByteArray password("a pass phrase of some length");
    CRijndael cipher;
    for (auto _ : state)
        benchmark::DoNotOptimize(cipher.EncryptData(message, password));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EncryptData)->Arg(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncryptData)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_DecryptData(benchmark::State& state)
{
    const QByteArray password("a pass phrase of some length");
    CRijndael cipher;
    const QByteArray data = *cipher.EncryptData(pattern(state.range(0)), password);
    for (auto _ : state)
        benchmark::DoNotOptimize(cipher.DecryptData(data, password));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DecryptData)->Arg(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecryptData)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// One stored credential value, as the login window writes it.
void BM_StoredValue(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(
            modCryptText::TextToHex(modCryptText::EncryptText(QStringLiteral("admin"), QStringLiteral("ZWord"))));
}
BENCHMARK(BM_StoredValue)->Unit(benchmark::kMicrosecond);

} // namespace
