// The cost of one schedule-check tick of Main in each phase, on the fakes (so this is the
// program's own work, without Windows or the disk):
//   idle (window hidden, set time far off), slow warning (two to five minutes before),
//   last minute (save, countdown window already open, fast animation), firing (the set
//   minute: timer off, icon removed, privilege step and ExitWindowsEx).
#include <benchmark/benchmark.h>

#include "support/MainHarness.h"

namespace duskline::fakes {
namespace {

void ClearRecords(MainHarness& run) {
  run.fake.tray.log.clear();
  run.fake.api.calls.clear();
  run.fake.api.exits.clear();
  run.fake.ini.writes.clear();
}

void Tick(benchmark::State& state, int hour, int minute) {
  MainHarness run("12:00 1", hour, minute, 30);
  run.Start();
  run.form().ClickOn("cmdHide");
  run.main.tmrCheck_Timer();  // opens the countdown window in the last minute
  int64_t count = 0;
  for (auto _ : state) {
    run.main.tmrCheck_Timer();
    if (++count % 1024 == 0) {
      state.PauseTiming();
      ClearRecords(run);
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
