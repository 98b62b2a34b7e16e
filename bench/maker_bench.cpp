// Maker lookup from a row's MAC text (budget: 200 ns a lookup), side by side with its peers:
//   BM_SortedTableLookup     the shipped way: three binary searches in the table the image holds
//   BM_HashMapLookup         hash maps of the same prefixes to unpacked names, as a loader that
//                            parses the registry at start-up would hold them; BM_HashMapBuild is
//                            that start-up cost
// The MACs cycle through MA-S, MA-M and MA-L hits, private addresses and unknown prefixes.
#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "maker/maker_lookup.h"
#include "maker/maker_table.h"

namespace {

const std::vector<std::string>& Macs() {
  static const std::vector<std::string> macs = {
      "70-B3-D5-F2-F1-23", "20-85-93-B1-23-45", "00-1B-63-12-34-56", "DA-A1-19-5B-00-01",
      "0C-00-00-00-00-01", "dc:a6:32:01:02:03", "00-50-C2-7D-50-01", "5C-CF-7F-C8-00-C8",
  };
  return macs;
}

void BM_SortedTableLookup(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(maker::LookUpMaker(Macs()[i++ % Macs().size()]));
  }
  state.counters["table_bytes"] = static_cast<double>(
      8 * (maker::kPrefixes24Count + maker::kPrefixes28Count + maker::kPrefixes36Count) +
      maker::kMakerNamesSize + maker::kMakerWordsSize + sizeof maker::kMakerWordOffsets);
}
BENCHMARK(BM_SortedTableLookup);

struct HashTables {
  std::unordered_map<uint64_t, std::string> byLength[3];  // 36, 28, 24 bits
};

HashTables BuildHashTables() {
  HashTables tables;
  const uint64_t* entries[] = {maker::kPrefixes36, maker::kPrefixes28, maker::kPrefixes24};
  const std::size_t counts[] = {maker::kPrefixes36Count, maker::kPrefixes28Count,
                                maker::kPrefixes24Count};
  const uint64_t offsetMask = (uint64_t{1} << maker::kNameOffsetBits) - 1;
  for (int t = 0; t < 3; ++t) {
    tables.byLength[t].reserve(counts[t]);
    for (std::size_t i = 0; i < counts[t]; ++i) {
      tables.byLength[t].emplace(
          entries[t][i] >> maker::kNameOffsetBits,
          maker::UnpackMakerName(maker::kMakerNames + (entries[t][i] & offsetMask)));
    }
  }
  return tables;
}

std::string HashLookUp(const HashTables& tables, const std::string& macText) {
  const auto mac = maker::ParseMacText(macText);
  if (!mac || (*mac & (uint64_t{0x02} << 40))) return std::string();
  const int bits[] = {36, 28, 24};
  for (int t = 0; t < 3; ++t) {
    auto found = tables.byLength[t].find(*mac >> (48 - bits[t]));
    if (found != tables.byLength[t].end()) return found->second;
  }
  return std::string();
}

void BM_HashMapLookup(benchmark::State& state) {
  static const HashTables tables = BuildHashTables();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(HashLookUp(tables, Macs()[i++ % Macs().size()]));
}
BENCHMARK(BM_HashMapLookup);

void BM_HashMapBuild(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(BuildHashTables());
}
BENCHMARK(BM_HashMapBuild)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
