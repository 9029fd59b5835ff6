// Decode throughput of data.sdd members: a compressed (RAR 2.0) and a stored
// member of several MB, unpacked through the archive reader from memory; and
// our encoder's speed on text and on data it cannot shrink.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "resources/RarPack20.h"
#include "resources/RarReader.h"
#include "resources/RarWriter.h"

namespace {

std::vector<uint8_t> ScriptLikeText(size_t n) {
  static const char* words[] = {"begin",  "end",   "radius", "texture", "V(1.0 2.5 -3.25)",
                                "color",  "\n",    "sphere", "flare",   "0.125",
                                "\tsize", "speed", "mesh",   "world"};
  std::mt19937 random(1);
  std::vector<uint8_t> v;
  v.reserve(n + 32);
  while (v.size() < n) {
    const char* w = words[random() % 14];
    v.insert(v.end(), w, w + std::strlen(w));
    v.push_back(' ');
    if (random() % 5 == 0) {
      std::string number = std::to_string(random() % 10000);
      v.insert(v.end(), number.begin(), number.end());
    }
  }
  v.resize(n);
  return v;
}

std::vector<uint8_t> Noise(size_t n) {
  std::mt19937 random(2);
  std::vector<uint8_t> v(n);
  for (uint8_t& x : v)
    x = uint8_t(random());
  return v;
}

constexpr size_t MemberSize = 8 << 20;

void Decode(benchmark::State& state, bool compressed) {
  std::vector<RarInputMember> members = {
      {"member", compressed ? ScriptLikeText(MemberSize) : Noise(MemberSize)}};
  RarWriteOptions options;
  options.storeOnly = !compressed;
  std::vector<uint8_t> archive;
  if (!BuildRarArchive(members, options, archive)) {
    state.SkipWithError("cannot build the archive");
    return;
  }
  rar::MemorySource source(archive.data(), archive.size());
  rar::ArchiveInfo info;
  if (!rar::ReadArchiveInfo(source, info) || info.members.size() != 1) {
    state.SkipWithError("cannot read the archive");
    return;
  }
  state.counters["packed_bytes"] = double(info.members[0].packedSize);
  std::vector<uint8_t> out;
  for (auto _ : state) {
    if (!rar::ExtractMember(source, info, 0, out))
      state.SkipWithError("extraction failed");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MemberSize));
}

void BM_ArchiveDecodeCompressed(benchmark::State& state) { Decode(state, true); }
void BM_ArchiveDecodeStored(benchmark::State& state) { Decode(state, false); }

void Encode(benchmark::State& state, const std::vector<uint8_t>& data) {
  size_t packed = 0;
  for (auto _ : state) {
    rar::Encoder20 encoder;
    packed = encoder.Compress(data.data(), data.size(), false).size();
    benchmark::DoNotOptimize(packed);
  }
  state.counters["ratio"] = double(packed) / double(data.size());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

void BM_ArchiveEncodeText(benchmark::State& state) { Encode(state, ScriptLikeText(4 << 20)); }
void BM_ArchiveEncodeNoise(benchmark::State& state) { Encode(state, Noise(4 << 20)); }

} // namespace

BENCHMARK(BM_ArchiveDecodeCompressed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveDecodeStored)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveEncodeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveEncodeNoise)->Unit(benchmark::kMillisecond);
