// Cost of one read and one write of the settings store on files of 1, 100 and 10,000 entries,
// over our own INI functions (every write replaces the file on disk and flushes it), and of
// turning the schedule into its stored text and back.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/Ini.h"
#include "profile/clsProfileINI.h"
#include "scheduler/ScheduleCommand.h"

namespace duskline {
namespace {

class ProfileFile {
 public:
  explicit ProfileFile(int64_t entries) {
    std::random_device random;
    folder_ =
        std::filesystem::temp_directory_path() / ("duskline-bench-" + std::to_string(random()));
    std::filesystem::create_directories(folder_);
    std::ofstream out(folder_ / "Vesperon.ini", std::ios::binary);
    out << "[Other]\r\n";
    for (int64_t i = 1; i < entries; ++i) out << "Entry" << i << "=value " << i << "\r\n";
    out << "[Command]\r\nCode=22:30 1\r\n";  // the looked-up entry comes last
  }
  ~ProfileFile() { std::filesystem::remove_all(folder_); }
  std::string Path() const { return (folder_ / "Vesperon.ini").string(); }

 private:
  std::filesystem::path folder_;
};

void BM_GetProfileText(benchmark::State& state) {
  ProfileFile file(state.range(0));
  auto ini = MakeSystemIniFunctions();
  for (auto _ : state) {
    clsProfileINI profile(*ini);
    benchmark::DoNotOptimize(profile.GetProfileText(file.Path(), "Command", "Code", "00:00 2"));
  }
}

void BM_WriteProfileText(benchmark::State& state) {
  ProfileFile file(state.range(0));
  auto ini = MakeSystemIniFunctions();
  bool odd = false;
  for (auto _ : state) {
    clsProfileINI profile(*ini);
    odd = !odd;  // a new value each time, so every write really replaces the file
    profile.WriteProfileText(file.Path(), "Command", "Code", odd ? "07:30 1" : "22:30 1");
  }
}

void BM_ScheduleCommandRoundTrip(benchmark::State& state) {
  int16_t index = 0;
  for (auto _ : state) {
    const ScheduleParts parts = ParseScheduleCommand(ProduceScheduleCommand("22:30", index));
    benchmark::DoNotOptimize(parts);
    index = static_cast<int16_t>((parts.typeIndex + 1) % 3);
  }
}

BENCHMARK(BM_ScheduleCommandRoundTrip);
BENCHMARK(BM_GetProfileText)->Arg(1)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteProfileText)->Arg(1)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace duskline
