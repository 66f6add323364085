// The settings file under killed and concurrent writers (our own file functions: Windows has the
// system's): always whole, and a killed writer's leftovers never block a later write.
#if !defined(_WIN32)

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <random>
#include <set>

#include "platform/Ini.h"
#include "platform/IniFile.h"
#include "profile/TempFolder.h"
#include "profile/clsProfileINI.h"

namespace duskline {
namespace {

using testing_support::TempFolder;

constexpr const char* kOld = "07:30 1";
constexpr const char* kNew = "22:15 0";
constexpr int kKills = 300;

std::string FileWith(const std::string& schedule, const std::string& other = "2") {
  return "; kept\r\n[Before]\r\nx=1\r\n[Command]\r\nCode=" + schedule + "\r\nOther=" + other +
         "\r\n[After]\r\ny=3\r\n";
}

// One entry of the schedule's section through the settings store, as the program does.
struct Writer {
  void Write(const std::string& entry, const std::string& value) {
    profile.WriteProfileText(path, "Command", entry, value);
  }
  std::string Read(const std::string& entry) {
    return profile.GetProfileText(path, "Command", entry, "<missing>");
  }
  std::string path;
  std::unique_ptr<IniFunctions> ini = MakeSystemIniFunctions();
  clsProfileINI profile{*ini};
};

pid_t Spawn(const std::function<void()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    body();
    ::_exit(0);
  }
  return pid;
}

// Writes the values in turn, forever or count times.
pid_t SpawnWriter(const std::string& path, const std::string& entry,
                  const std::vector<std::string>& values, long count = -1) {
  return Spawn([=] {
    Writer writer{path};
    for (long i = 0; count < 0 || i < count; ++i) writer.Write(entry, values[i % values.size()]);
  });
}

class SettingsFileCrash : public testing::Test {
 protected:
  SettingsFileCrash() { folder.Put("Vesperon.ini", FileWith(kOld)); }
  TempFolder folder;
  const std::string path = folder.File("Vesperon.ini");
};

TEST_F(SettingsFileCrash, KilledWriterLeavesTheOldScheduleOrTheNewOne) {
  const std::set<std::string> whole{FileWith(kOld), FileWith(kNew)};
  // Kill moments spread over a few writes, measured on this machine.
  Writer timing{path};
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 20; ++i) timing.Write("Code", i % 2 ? kOld : kNew);
  const auto perWrite = (std::chrono::steady_clock::now() - start) / 20;
  const long spanMicroseconds =
      4 * std::chrono::duration_cast<std::chrono::microseconds>(perWrite).count() + 50;

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<long> delay(0, spanMicroseconds);
  int sawOld = 0, sawNew = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    const pid_t child = SpawnWriter(path, "Code", {kNew, kOld});
    ASSERT_GT(child, 0);
    ::usleep(static_cast<useconds_t>(delay(random)));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);

    const std::string bytes = folder.Read("Vesperon.ini");
    ASSERT_TRUE(whole.contains(bytes)) << "after kill " << kill << ":\n" << bytes;
    (bytes == FileWith(kOld) ? sawOld : sawNew)++;
  }
  // Only a killed writer's hidden temporary files may remain; they are never read.
  int leftovers = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    if (entry.path().filename() != "Vesperon.ini") {
      ++leftovers;
      EXPECT_EQ(entry.path().extension(), ".tmp");
    }
  Writer{path}.Write("Code", "12:00 2");
  EXPECT_EQ(folder.Read("Vesperon.ini"), FileWith("12:00 2"));
  std::cout << kKills << " kills over " << spanMicroseconds << " us (a write takes "
            << spanMicroseconds / 4 << " us): old " << sawOld << ", new " << sawNew << ", "
            << leftovers << " temporary files left\n";
}

// A killed writer's temporary file may carry the name a later process with the same reused id
// picks.
TEST_F(SettingsFileCrash, TemporaryFileOfAnEarlierProcessDoesNotBlockAWrite) {
  const pid_t child = Spawn([&] {
    const std::string stale = ".Vesperon.ini." + std::to_string(::getpid()) + ".";
    for (int n = 0; n < 4096; ++n) folder.Put(stale + std::to_string(n) + ".tmp", "stale");
    Writer{path}.Write("Code", kNew);
  });
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(folder.Read("Vesperon.ini"), FileWith(kNew));
}

constexpr long kWrites = 300;

class SettingsFileTwoWriters : public SettingsFileCrash,
                               public testing::WithParamInterface<bool> {};

// Without a lock an update may be lost, but the file stays whole with values written to it. The
// second writer counts up "Other", or writes "Code" too.
TEST_P(SettingsFileTwoWriters, LeaveAWholeFile) {
  const bool sameEntry = GetParam();
  const char* secondEntry = sameEntry ? "Code" : "Other";
  std::vector<std::string> secondValues{"12:00 2", "06:45 1"};
  if (!sameEntry) {
    secondValues.clear();
    for (long i = 1; i <= kWrites; ++i) secondValues.push_back(std::to_string(i));
  }
  std::set<std::string> codes{kOld, kNew}, others{"2"};
  (sameEntry ? codes : others).insert(secondValues.begin(), secondValues.end());
  const pid_t first = SpawnWriter(path, "Code", {kNew, kOld}, kWrites);
  const pid_t second = SpawnWriter(path, secondEntry, secondValues, kWrites);

  Writer reader{path};
  int reads = 0, lost = 0;
  long lastOther = 0;
  for (bool running = true; running; ++reads) {
    running = ::waitpid(first, nullptr, WNOHANG) == 0 || ::waitpid(second, nullptr, WNOHANG) == 0;
    const std::string code = reader.Read("Code"), other = reader.Read("Other");
    ASSERT_TRUE(codes.contains(code)) << code;
    ASSERT_TRUE(others.contains(other)) << other;
    ASSERT_EQ(IniFile(folder.Read("Vesperon.ini")).Value("After", "y"), "3");
    // The second writer counts up: a count going back is a lost update.
    if (!sameEntry && other != "2") {
      lost += std::stol(other) < lastOther ? 1 : 0;
      lastOther = std::stol(other);
    }
  }
  const std::string bytes = folder.Read("Vesperon.ini");
  bool whole = false;
  for (const std::string& code : codes)
    for (const std::string& other : others) whole = whole || bytes == FileWith(code, other);
  EXPECT_TRUE(whole) << bytes;
  // Each writer's last value should have stayed, unless the other overwrote it with an old copy.
  if (!sameEntry) {
    lost += reader.Read("Code") != kOld ? 1 : 0;
    lost += reader.Read("Other") != secondValues.back() ? 1 : 0;
  }
  std::cout << (sameEntry ? "SameEntry" : "DifferentEntries") << ": " << reads << " reads, " << lost
            << " lost updates seen\n";
}

INSTANTIATE_TEST_SUITE_P(Entries, SettingsFileTwoWriters, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "SameEntry" : "DifferentEntries";
                         });

}  // namespace
}  // namespace duskline

#endif
