// The cost of one schedule-check tick of Main in each phase, on the fakes (so this is the
// program's own work, without Windows or the disk):
//   idle (window hidden, set time far off), slow warning (two to five minutes before),
//   last minute (save, countdown window already open, fast animation), firing (the set
//   minute: timer off, icon removed, privilege step and ExitWindowsEx).
#include <benchmark/benchmark.h>

#include "platform/test/Fakes.h"
#include "scheduler/Main.h"

namespace duskline::fakes {
namespace {

void Tick(benchmark::State& state, int hour, int minute) {
  FakePlatform fake;
  fake.app.commandLine = "12:00 1";
  fake.clock.start = {2024, 1, 1, hour, minute, 30};
  Main main(fake.platform);
  main.Start();
  fake.windows.Find("Main")->ClickOn("cmdHide");
  main.tmrCheck_Timer();  // opens the countdown window in the last minute
  int64_t count = 0;
  for (auto _ : state) {
    main.tmrCheck_Timer();
    if (++count % 1024 == 0) {
      state.PauseTiming();
      fake.tray.log.clear();
      fake.api.log.clear();
      fake.ini.log.clear();
      state.ResumeTiming();
    }
  }
}

void BM_TickIdle(benchmark::State& state) {
  Tick(state, 10, 0);
}
void BM_TickSlowWarning(benchmark::State& state) {
  Tick(state, 11, 57);
}
void BM_TickLastMinute(benchmark::State& state) {
  Tick(state, 11, 59);
}
void BM_TickFiring(benchmark::State& state) {
  Tick(state, 12, 0);
}

BENCHMARK(BM_TickIdle);
BENCHMARK(BM_TickSlowWarning);
BENCHMARK(BM_TickLastMinute);
BENCHMARK(BM_TickFiring);

}  // namespace
}  // namespace duskline::fakes
