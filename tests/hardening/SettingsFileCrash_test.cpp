// The settings file under a writer that is killed at random moments, and under two writers at
// once: the file is always whole, holding the old schedule or the new one, and what a killed
// writer leaves behind never blocks a later write. Our own file functions only: on Windows the
// system's are used.
#if !defined(_WIN32)

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <set>
#include <string>
#include <vector>

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

// The schedule among other entries, byte for byte as our writer leaves the file.
std::string FileWith(const std::string& schedule, const std::string& other = "2") {
  return "; kept\r\n[Before]\r\nx=1\r\n[Command]\r\nCode=" + schedule + "\r\nOther=" + other +
         "\r\n[After]\r\ny=3\r\n";
}

// Writes one entry of the schedule's section through the settings store, as the program does.
class Writer {
 public:
  explicit Writer(std::string path) : path_(std::move(path)) {}
  void Write(const std::string& entry, const std::string& value) {
    profile_.WriteProfileText(path_, "Command", entry, value);
  }
  std::string Read(const std::string& entry) {
    return profile_.GetProfileText(path_, "Command", entry, "<missing>");
  }

 private:
  std::string path_;
  std::unique_ptr<IniFunctions> ini_ = MakeSystemIniFunctions();
  clsProfileINI profile_{*ini_};
};

// Runs body in a child process, which ends when body returns.
pid_t Spawn(const std::function<void()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    body();
    ::_exit(0);
  }
  return pid;
}

// Writes the values of one entry in turn, forever or count times.
pid_t SpawnWriter(const std::string& path, const std::string& entry,
                  const std::vector<std::string>& values, long count = -1) {
  return Spawn([=] {
    Writer writer(path);
    for (long i = 0; count < 0 || i < count; ++i) writer.Write(entry, values[i % values.size()]);
  });
}

bool Exited(pid_t pid) {
  int status = 0;
  return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> Leftovers(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    if (entry.path().filename() != "Vesperon.ini") names.push_back(entry.path().filename());
  return names;
}

TEST(SettingsFileCrash, KilledWriterLeavesTheOldScheduleOrTheNewOne) {
  TempFolder folder;
  const std::string path = folder.File("Vesperon.ini");
  folder.Put("Vesperon.ini", FileWith(kOld));
  const std::set<std::string> whole{FileWith(kOld), FileWith(kNew)};

  // Kill moments spread over a few writes, measured on this machine.
  Writer timing(path);
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
  const std::vector<std::string> leftovers = Leftovers(folder);
  for (const std::string& name : leftovers) EXPECT_TRUE(name.ends_with(".tmp")) << name;
  Writer after(path);
  after.Write("Code", "12:00 2");
  EXPECT_EQ(folder.Read("Vesperon.ini"), FileWith("12:00 2"));
  std::cout << kKills << " kills over " << spanMicroseconds << " us (a write takes "
            << spanMicroseconds / 4 << " us): old " << sawOld << ", new " << sawNew << ", "
            << leftovers.size() << " temporary files left\n";
}

// A writer killed in an earlier run may have left a temporary file under the very name that a
// later process with the same process id picks (ids are reused, and are the same at every
// start in a container).
TEST(SettingsFileCrash, TemporaryFileOfAnEarlierProcessDoesNotBlockAWrite) {
  TempFolder folder;
  const std::string path = folder.File("Vesperon.ini");
  folder.Put("Vesperon.ini", FileWith(kOld));
  const pid_t child = Spawn([&] {
    // This process has made at most a few hundred writes so far: its next names are among these.
    const std::string stale = "." + std::string("Vesperon.ini.") + std::to_string(::getpid());
    for (int n = 0; n < 4096; ++n) folder.Put(stale + "." + std::to_string(n) + ".tmp", "stale");
    Writer(path).Write("Code", kNew);
  });
  ASSERT_TRUE(Exited(child));
  EXPECT_EQ(folder.Read("Vesperon.ini"), FileWith(kNew));
}

struct TwoWritersCase {
  const char* name;
  std::string secondEntry;  // "Code" for the same entry
  std::vector<std::string> secondValues;
};
constexpr long kWrites = 300;
void PrintTo(const TwoWritersCase& c, std::ostream* os) {
  *os << c.name;
}

class SettingsFileTwoWriters : public testing::TestWithParam<TwoWritersCase> {};

// Without a lock one writer may replace the file with a copy read before the other's write:
// that update is lost, but the file stays whole and every entry holds a value written to it.
TEST_P(SettingsFileTwoWriters, LeaveAWholeFile) {
  const TwoWritersCase& c = GetParam();
  TempFolder folder;
  const std::string path = folder.File("Vesperon.ini");
  folder.Put("Vesperon.ini", FileWith(kOld));
  std::set<std::string> codes{kOld, kNew}, others{"2"};
  if (c.secondEntry == "Code") {
    codes.insert(c.secondValues.begin(), c.secondValues.end());
  } else {
    others.insert(c.secondValues.begin(), c.secondValues.end());
  }
  const pid_t first = SpawnWriter(path, "Code", {kNew, kOld}, kWrites);
  const pid_t second = SpawnWriter(path, c.secondEntry, c.secondValues, kWrites);

  // Read while they write: every read sees a whole file.
  Writer reader(path);
  int reads = 0, lost = 0;
  long lastOther = 0;
  for (bool running = true; running; ++reads) {
    running = ::waitpid(first, nullptr, WNOHANG) == 0 || ::waitpid(second, nullptr, WNOHANG) == 0;
    const std::string code = reader.Read("Code"), other = reader.Read("Other");
    ASSERT_TRUE(codes.contains(code)) << code;
    ASSERT_TRUE(others.contains(other)) << other;
    ASSERT_EQ(IniFile(folder.Read("Vesperon.ini")).Value("After", "y"), "3");
    // The second writer counts up: a count going back is a lost update.
    if (c.secondEntry == "Other" && other != "2") {
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
  if (c.secondEntry == "Other") {
    lost += reader.Read("Code") != kOld ? 1 : 0;
    lost += reader.Read("Other") != c.secondValues.back() ? 1 : 0;
  }
  std::cout << c.name << ": " << reads << " reads, " << lost << " lost updates seen\n";
}

std::vector<std::string> Counting() {
  std::vector<std::string> values;
  for (long i = 1; i <= kWrites; ++i) values.push_back(std::to_string(i));
  return values;
}

INSTANTIATE_TEST_SUITE_P(Entries, SettingsFileTwoWriters,
                         testing::Values(TwoWritersCase{"DifferentEntries", "Other", Counting()},
                                         TwoWritersCase{
                                             "SameEntry", "Code", {"12:00 2", "06:45 1"}}));

}  // namespace
}  // namespace duskline

#endif
