// Decoding speed: each sample table on its own, and all of them in a row
// with the time reported per table. Compare with edid-decode over the same
// files (see the decoder's report) to keep the decoder cheap enough to run
// on every keystroke of the editor.
#include "decode/DecodedTree.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidJson.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

using namespace varnex::edid;

namespace {

using Samples = std::vector<std::pair<std::string, QByteArray>>;

Samples loadSamples()
{
    Samples samples;
    const QDir dir(QStringLiteral(VARNEX_EDID_SAMPLE_DIR));
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        if (name == QLatin1String("LICENSE"))
            continue;
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            samples.emplace_back(name.toStdString(), file.readAll());
    }
    return samples;
}

void decodeOne(benchmark::State &state, const QByteArray &bytes)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeEdid(bytes));
}

// Items are tables: the report's items_per_second gives the time per table.
template <typename Work>
void everySample(benchmark::State &state, const Samples &samples, Work work)
{
    for (auto _ : state) {
        for (const auto &sample : samples)
            work(sample.second);
    }
    state.SetItemsProcessed(state.iterations() * qint64(samples.size()));
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    static const Samples samples = loadSamples();
    if (samples.empty())
        return 1;
    for (const auto &sample : samples)
        benchmark::RegisterBenchmark(("decode/" + sample.first).c_str(), decodeOne, sample.second);
    benchmark::RegisterBenchmark("decodeAll", [](benchmark::State &state) {
        everySample(state, samples,
                    [](const QByteArray &bytes) { benchmark::DoNotOptimize(decodeEdid(bytes)); });
    });
    benchmark::RegisterBenchmark("decodeAndJsonAll", [](benchmark::State &state) {
        everySample(state, samples, [](const QByteArray &bytes) {
            benchmark::DoNotOptimize(toJson(decodeEdid(bytes)));
        });
    });
    benchmark::RegisterBenchmark("decodeAndTextAll", [](benchmark::State &state) {
        everySample(state, samples, [](const QByteArray &bytes) {
            benchmark::DoNotOptimize(toText(decodeEdid(bytes)));
        });
    });
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
