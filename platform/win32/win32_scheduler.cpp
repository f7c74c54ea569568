#include "platform/win32/win32_scheduler.h"

#include <stdexcept>

namespace platform::win32 {
namespace {

constexpr const wchar_t* kClassName = L"BrowserScheduler";
// "Once the current event is done": a posted message, which runs before
// any timer (WM_TIMER comes only when the queue is otherwise empty).
constexpr UINT kRunPosted = WM_APP + 1;

using Tasks = Win32Scheduler::Tasks;

void Run(HWND window, UINT_PTR id) {
  auto* tasks = reinterpret_cast<Tasks*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (tasks == nullptr) return;
  KillTimer(window, id);
  auto it = tasks->waiting.find(id);
  if (it == tasks->waiting.end()) return;  // cancelled meanwhile
  // Moved out first: the task may drop its timer, or the scheduler itself.
  std::function<void()> task = std::move(it->second);
  tasks->waiting.erase(it);
  task();
}

LRESULT CALLBACK SchedulerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER || message == kRunPosted) {
    Run(window, static_cast<UINT_PTR>(wparam));
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND MakeWindow() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = SchedulerProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kClassName;
  // Registered once per process; later schedulers find it there.
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw std::runtime_error("RegisterClassExW failed");
  }
  HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (window == nullptr) throw std::runtime_error("CreateWindowExW failed");
  return window;
}

class Win32Timer final : public browser::Timer {
 public:
  Win32Timer(std::weak_ptr<Tasks> tasks, UINT_PTR id) : tasks_(std::move(tasks)), id_(id) {}
  ~Win32Timer() override {
    auto tasks = tasks_.lock();
    if (!tasks) return;
    // A posted message for it may still come: it finds nothing to run.
    if (tasks->waiting.erase(id_) != 0) KillTimer(tasks->window, id_);
  }
  Win32Timer(const Win32Timer&) = delete;
  Win32Timer& operator=(const Win32Timer&) = delete;

 private:
  std::weak_ptr<Tasks> tasks_;
  UINT_PTR id_;
};

}  // namespace

Win32Scheduler::Win32Scheduler() : tasks_(std::make_shared<Tasks>()) {
  tasks_->window = MakeWindow();
  SetWindowLongPtrW(tasks_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(tasks_.get()));
}

Win32Scheduler::~Win32Scheduler() {
  SetWindowLongPtrW(tasks_->window, GWLP_USERDATA, 0);
  DestroyWindow(tasks_->window);
}

std::unique_ptr<browser::Timer> Win32Scheduler::After(unsigned milliseconds, std::function<void()> task) {
  const UINT_PTR id = tasks_->next_id++;
  tasks_->waiting.emplace(id, std::move(task));
  if (milliseconds == 0) {
    PostMessageW(tasks_->window, kRunPosted, id, 0);
  } else {
    SetTimer(tasks_->window, id, milliseconds, nullptr);
  }
  return std::make_unique<Win32Timer>(tasks_, id);
}

std::int64_t Win32Scheduler::Now() const {
  LARGE_INTEGER count;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<std::int64_t>(count.QuadPart / frequency.QuadPart * 1'000'000 +
                                   count.QuadPart % frequency.QuadPart * 1'000'000 / frequency.QuadPart);
}

}  // namespace platform::win32
