#include "BenchMain.h"

#include "platform/lookup/DictionaryFile.h"
#include "platform/lookup/RLAddress.h"
#include "platform/lookup/ZipDictionary.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

// The postcode lookup on a generated dictionary of 150 000 postcodes: a
// three-digit prefix of 1 000 hits walked into address records, and one
// full postcode.

namespace
{

constexpr int kPrefixes = 150;
constexpr int kPerPrefix = 1000;

const bool kPrefixBound = RegisterBound("PostcodePrefix", 300.0);
const bool kFullBound = RegisterBound("PostcodeFull", 10.0);

// Made once per run: 150 prefixes "100"-"249" of 1 000 postcodes each,
// ten cities per prefix and ten towns per city.
const QString& DictionaryFolder()
{
    static std::unique_ptr<QTemporaryDir> dir;
    static QString path;
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        QList<QStringList> rows;
        rows.reserve(kPrefixes * kPerPrefix);
        for (int p = 0; p < kPrefixes; ++p)
            for (int n = 0; n < kPerPrefix; ++n) {
                const QString code =
                    QString::number(100 + p) + QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
                rows.append({code, QStringLiteral("県%1").arg(p % 47),
                             QStringLiteral("市%1-%2").arg(p).arg(n / 100),
                             QStringLiteral("町%1").arg(n / 10),
                             n % 3 ? QString() : QStringLiteral("ビル%1").arg(n)});
            }
        if (!WriteDictionary(dir->filePath("Yubin.dic"), "postal", rows) ||
            !WriteDictionary(dir->filePath("Hojin.dic"), "corporate", {}))
            std::fprintf(stderr, "cannot write the postcode dictionary\n");
        path = dir->path();
    }
    return path;
}

QList<CRLAddress> Walk(CZipDictionary& dic, const QString& key)
{
    QList<CRLAddress> list;
    dic.Reset();
    dic.SetKey(4, key);
    if (dic.Search() != 0)
        return list;
    CRLAddress record;
    for (int a = 0; a < dic.GetCount(0); ++a) {
        record.m_strAddress1 = dic.GetEntry(0, a)->m_strName;
        dic.SetSelected(0, a);
        if (dic.SearchNext() != 0)
            continue;
        for (int b = 0; b < dic.GetCount(1); ++b) {
            record.m_strAddress2 = dic.GetEntry(1, b)->m_strName;
            dic.SetSelected(1, b);
            if (dic.SearchNext() != 0)
                continue;
            for (int c = 0; c < dic.GetCount(2); ++c) {
                record.m_strAddress3 = dic.GetEntry(2, c)->m_strName;
                dic.SetSelected(2, c);
                if (dic.SearchNext() != 0)
                    continue;
                for (int d = 0; d < dic.GetCount(3); ++d) {
                    record.m_strAddress4 = dic.GetEntry(3, d)->m_strName;
                    record.m_strPostcode = dic.GetEntry(3, d)->m_strPostcode;
                    list.append(record);
                }
            }
        }
    }
    return list;
}

void Lookup(benchmark::State& state, const QString& key, int expected)
{
    CZipDictionary dic;
    if (dic.Open(DictionaryFolder(), DictionaryFolder()) != 0) {
        state.SkipWithError("cannot open the dictionary");
        return;
    }
    for (auto _ : state) {
        const QList<CRLAddress> list = Walk(dic, key);
        if (list.size() != expected) {
            state.SkipWithError("wrong number of addresses");
            break;
        }
        benchmark::DoNotOptimize(list.data());
    }
}

void PostcodePrefix(benchmark::State& state)
{
    Lookup(state, QStringLiteral("123*"), kPerPrefix);
}

void PostcodeFull(benchmark::State& state)
{
    Lookup(state, QStringLiteral("1230456"), 1);
}

} // namespace

BENCHMARK(PostcodePrefix)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PostcodeFull)->UseRealTime()->Unit(benchmark::kMillisecond);
