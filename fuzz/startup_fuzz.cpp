// The whole start-up on the fakes: any Vesperon.ini and any command line into Main's load, then
// the schedule check for a while on the fake clock. The load's trap and the event dispatcher
// take every run-time error the program defines; the fakes' End is a normal end. Anything else
// escaping, a crash or undefined behaviour is a finding.
//
// Input: the day of the week, the time, how long the check runs and the switches below come
// from the end (as FuzzedDataProvider takes numbers); the rest is the command line up to the
// first zero byte and the file's bytes after it, or, without a zero byte, the file alone and no
// command line. The file goes through the real off-Windows INI functions into a folder of this
// process's own.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "platform/test/Fakes.h"
#include "scheduler/Main.h"

namespace {

using namespace duskline;
using fakes::Ends;

std::string folder, file;  // file: the Vesperon.ini in it

void RemoveFolder() {
  std::remove(file.c_str());
  ::rmdir(folder.c_str());
}

// The program's folder is the fuzzer's scratch folder.
class FolderApp : public fakes::FakeApp {
 public:
  std::string Path() const override { return folder; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/duskline-fuzz.XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  folder = pattern;
  file = folder + "/Vesperon.ini";
  std::atexit(RemoveFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int day = input.ConsumeIntegralInRange(1, 7);  // 1 January 2024 is a Monday
  const int hour = input.ConsumeIntegralInRange(0, 23);
  const int minute = input.ConsumeIntegralInRange(0, 59);
  const int second = input.ConsumeIntegralInRange(0, 59);
  const int seconds = input.ConsumeIntegralInRange(0, 150);
  const bool withFile = !input.ConsumeBool();
  const bool hide = input.ConsumeBool();
  const bool serviceStart = input.ConsumeBool();
  fakes::FakePlatform fake;
  fake.service.desktop = input.ConsumeBool();
  fake.service.sessionZero = input.ConsumeBool();
  fake.service.result = input.ConsumeBool();
  if (input.ConsumeBool()) fake.api.version |= 0x80000000u;  // Windows 95/98

  const std::string rest = input.ConsumeRemainingBytesAsString();
  const size_t zero = rest.find('\0');
  const std::string bytes = zero == std::string::npos ? rest : rest.substr(zero + 1);
  std::remove(file.c_str());
  if (withFile) std::ofstream(file, std::ios::binary) << bytes;

  FolderApp app;
  app.commandLine = zero == std::string::npos ? "" : rest.substr(0, zero);
  std::unique_ptr<IniFunctions> ini = MakeSystemIniFunctions();
  Platform platform{app,          fake.windows, fake.clock,  *ini,      fake.api,      fake.tray,
                    fake.service, fake.events,  fake.policy, fake.idle, fake.processes};
  fake.clock.start = {2024, 1, day, hour, minute, second};
  Main main(platform);
  if (Ends([&] { main.Start(); })) return 0;
  Ends([&] {
    bool success = false;
    if (serviceStart && fake.service.ServiceStarted) fake.service.ServiceStarted(success);
    if (hide) static_cast<fakes::FakeForm&>(main.form()).ClickOn("cmdHide");
    fake.clock.Advance(seconds * 1000LL);
  });
  return 0;
}
