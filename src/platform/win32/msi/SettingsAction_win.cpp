// The MSI's custom actions: the checks of SCHEDULE and DAYS before anything is installed, the
// writing of Vesperon.ini once the files are there, and its removal with the product. wixl has no
// IniFile table; the checks are those of the program's policy, so an installer and a policy take
// the same values. Then the service's registration finished as -install leaves it, and a removal
// that a program still running from the folder cannot leave half done.
#include <windows.h>
// after windows.h
#include <msi.h>
#include <msiquery.h>

#include <string>

#include "platform/win32/ServiceConfig_win.h"
#include "platform/win32/Text_win.h"
#include "scheduler/Policy.h"
#include "scheduler/ScheduleCommand.h"

namespace {

using duskline::win32::kServiceName;
using duskline::win32::Narrow;
using duskline::win32::ServiceHandle;
using duskline::win32::Wide;

constexpr wchar_t kEveryDay[] = L"Mon Tue Wed Thu Fri Sat Sun";

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
  DWORD size = 0;
  wchar_t none[1] = L"";
  if (MsiGetPropertyW(install, name, none, &size) != ERROR_MORE_DATA) return {};
  std::wstring value(++size, L'\0');
  if (MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS) return {};
  value.resize(size);
  return value;
}

// An error message in the installer's log and, where there is a user interface, on screen.
void Report(MSIHANDLE install, const std::wstring& text) {
  PMSIHANDLE record = MsiCreateRecord(1);
  MsiRecordSetStringW(record, 0, text.c_str());
  MsiProcessMessage(install, INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK), record);
}

}  // namespace

// Immediate, after the folders are resolved: a malformed value ends the installation before
// anything is installed; well-formed ones go to WriteSettings as "folder|schedule|days".
extern "C" __declspec(dllexport) UINT __stdcall CheckSettings(MSIHANDLE install) {
  const std::wstring schedule = Property(install, L"SCHEDULE");
  const std::wstring days = Property(install, L"DAYS");
  if (!schedule.empty() && !duskline::IsWellFormedSchedule(Narrow(schedule))) {
    Report(install,
           L"SCHEDULE needs a time HH:MM, one blank and a type (0 log off, 1 shut down, "
           L"2 power off, 3 restart, 4 sleep, 5 hibernate, 6 lock), for example "
           L"SCHEDULE=\"22:30 1\". It was given: " +
               schedule + L". Nothing was installed.");
    return ERROR_INSTALL_FAILURE;
  }
  if (!days.empty() && !duskline::WellFormedDays(Narrow(days))) {
    Report(install,
           L"DAYS needs one or more of Mon Tue Wed Thu Fri Sat Sun, written so, in this "
           L"order, each at most once, one blank between two, for example "
           L"DAYS=\"Mon Tue Wed Thu Fri\". It was given: " +
               days + L". Nothing was installed.");
    return ERROR_INSTALL_FAILURE;
  }
  const std::wstring data = Property(install, L"INSTALLDIR") + L"|" + schedule + L"|" + days;
  MsiSetPropertyW(install, L"WriteSettings", data.c_str());
  return ERROR_SUCCESS;
}

std::wstring SettingsFile(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder + Wide(duskline::kScheduleFile);
}

// Deferred, as the system: the schedule and the days given, as the program stores them (every
// day is no Days key at all). Other entries of an existing file stay.
extern "C" __declspec(dllexport) UINT __stdcall WriteSettings(MSIHANDLE install) {
  const std::wstring data = Property(install, L"CustomActionData");
  const size_t first = data.find(L'|'), second = data.find(L'|', first + 1);
  if (second == std::wstring::npos) return ERROR_INSTALL_FAILURE;
  const std::wstring file = SettingsFile(data.substr(0, first));
  const std::wstring schedule = data.substr(first + 1, second - first - 1);
  const std::wstring days = data.substr(second + 1);
  const std::wstring section = Wide(duskline::kScheduleSection);
  bool written = true;
  if (!schedule.empty()) {
    written = WritePrivateProfileStringW(section.c_str(), Wide(duskline::kScheduleEntry).c_str(),
                                         schedule.c_str(), file.c_str());
  }
  if (!days.empty() && written) {
    written = WritePrivateProfileStringW(section.c_str(), Wide(duskline::kDaysEntry).c_str(),
                                         days == kEveryDay ? nullptr : days.c_str(), file.c_str());
  }
  return written ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}

// Deferred, at removal, where the installation wrote the file: its data is the folder.
extern "C" __declspec(dllexport) UINT __stdcall RemoveSettings(MSIHANDLE install) {
  DeleteFileW(SettingsFile(Property(install, L"CustomActionData")).c_str());
  return ERROR_SUCCESS;
}

// Deferred, as the system, after InstallServices: its data is the program's path. The
// ServiceInstall table has no way to quote the path it writes, so the service is given its
// quoted command through the manager, which takes it at once, and its failure actions.
extern "C" __declspec(dllexport) UINT __stdcall ConfigureService(MSIHANDLE install) {
  const std::wstring program = Property(install, L"CustomActionData");
  ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  ServiceHandle service(
      manager ? OpenServiceW(manager.get(), kServiceName, SERVICE_CHANGE_CONFIG | SERVICE_START)
              : nullptr);
  const std::wstring command = duskline::win32::ServiceCommand(program);
  const bool configured =
      service && !program.empty() &&
      ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                           command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) &&
      duskline::win32::SetRestartOnFailure(service.get());
  return configured ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}

// Deferred, as the system, after RemoveFiles: its data is the installation folder. A program
// file that a process still held could not go: it goes, with the folder, at the next start of
// Windows, and the installation says that a restart is needed (3010).
extern "C" __declspec(dllexport) UINT __stdcall RemoveHeldProgram(MSIHANDLE install) {
  std::wstring folder = Property(install, L"CustomActionData");
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  const std::wstring program = folder + L"\\duskline.exe";
  if (folder.empty() || GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES ||
      DeleteFileW(program.c_str())) {
    return ERROR_SUCCESS;
  }
  // The folder once it is empty: an administrator's Vesperon.ini keeps it.
  if (MoveFileExW(program.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MsiSetMode(install, MSIRUNMODE_REBOOTATEND, TRUE);
  }
  return ERROR_SUCCESS;
}
