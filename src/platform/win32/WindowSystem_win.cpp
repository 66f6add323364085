#include "platform/win32/WindowSystem_win.h"

#include <commctrl.h>

#include "platform/win32/Text_win.h"

namespace duskline::win32 {
namespace {

constexpr wchar_t kHostClass[] = L"DusklineHost";
constexpr UINT kDestroyFormsMessage = WM_APP + 2;

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance) : instance_(instance) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  Win32Form::RegisterClass(instance_);
  WNDCLASSEXW hostClass{};
  if (!GetClassInfoExW(instance_, kHostClass, &hostClass)) {
    hostClass.cbSize = sizeof hostClass;
    hostClass.lpfnWndProc = HostProc;
    hostClass.hInstance = instance_;
    hostClass.lpszClassName = kHostClass;
    RegisterClassExW(&hostClass);
  }
  host_ =
      CreateWindowExW(0, kHostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, this);
}

Win32WindowSystem::~Win32WindowSystem() {
  doomed_.clear();
  if (host_) DestroyWindow(host_);
  if (owner_) DestroyWindow(owner_);
}

LRESULT CALLBACK Win32WindowSystem::HostProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* system =
        static_cast<Win32WindowSystem*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(system));
  }
  auto* system = reinterpret_cast<Win32WindowSystem*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == kDestroyFormsMessage && system != nullptr) {
    try {
      // A destructor that unloads another form adds to the list: take the list first.
      std::vector<std::unique_ptr<Form>> doomed;
      doomed.swap(system->doomed_);
    } catch (...) {
      ReportToLastResort(&system->lastResort_);
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::unique_ptr<Form> Win32WindowSystem::CreateForm(const FormLayout& layout) {
  // Made with the first form that needs it: one window less before the main window shows.
  if (!layout.showInTaskbar && owner_ == nullptr)
    owner_ = CreateWindowExW(0, kHostClass, L"Duskline", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                             nullptr, instance_, this);
  return std::make_unique<Win32Form>(FormHost{instance_, owner_, &lastResort_}, layout);
}

void Win32WindowSystem::DestroyLater(std::unique_ptr<Form> form) {
  if (!form) return;
  form->Hide();
  doomed_.push_back(std::move(form));
  PostMessageW(host_, kDestroyFormsMessage, 0, 0);
}

void Win32WindowSystem::MessageBox(const std::string& text, const std::string& caption) {
  // Modal to all our windows, also when the main window is hidden in the tray.
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(),
              MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

void Win32WindowSystem::Dispatch(MSG& message) {
  const HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  const Win32Form* form = Win32Form::FromHandle(root);
  if (form && form->UsesDialogKeys() && IsDialogMessageW(root, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

int Win32WindowSystem::Run() {
  std::vector<HANDLE> objects;
  for (MSG message{};;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      Dispatch(message);
    }
    objects.clear();
    for (const Wait& wait : waits_) objects.push_back(wait.object);
    const DWORD count = static_cast<DWORD>(objects.size());
    const DWORD woken = MsgWaitForMultipleObjectsEx(count, objects.data(), INFINITE, QS_ALLINPUT,
                                                    MWMO_INPUTAVAILABLE);
    if (woken == WAIT_FAILED) {
      // A handle closed while waited on: forget it rather than fail again at once.
      std::erase_if(waits_, [](const Wait& wait) {
        return WaitForSingleObject(wait.object, 0) == WAIT_FAILED;
      });
    } else if (woken < WAIT_OBJECT_0 + count) {
      const auto signalled = std::move(waits_[woken - WAIT_OBJECT_0].signalled);
      waits_.erase(waits_.begin() + (woken - WAIT_OBJECT_0));
      try {
        signalled();
      } catch (...) {
        ReportToLastResort(&lastResort_);
      }
    }
  }
}

bool Win32WindowSystem::WaitFor(HANDLE object, std::function<void()> signalled) {
  StopWaitingFor(object);
  if (waits_.size() >= MAXIMUM_WAIT_OBJECTS - 1) return false;
  waits_.push_back({object, std::move(signalled)});
  return true;
}

void Win32WindowSystem::StopWaitingFor(HANDLE object) {
  std::erase_if(waits_, [object](const Wait& wait) { return wait.object == object; });
}

}  // namespace duskline::win32
