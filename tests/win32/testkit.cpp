#include "tests/win32/testkit.h"

#include <cstdio>

namespace {
thread_local UiScript* g_active = nullptr;
thread_local UiScript* g_timer_owner = nullptr;

std::string class_of(HWND h) {
  char buf[128] = {};
  GetClassNameA(h, buf, sizeof buf);
  return buf;
}
std::string caption_of(HWND h) {
  char buf[512] = {};
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

// Process-wide safety net: a dialog activated while no script is active is cancelled, so a
// stray box (or a DLL's detach box at exit) cannot hang a test.
LRESULT CALLBACK safety_hook(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE && wp && !g_active) {
    HWND h = (HWND)wp;
    if (class_of(h) == "#32770") {
      std::fprintf(stderr, "ui_driver: unexpected dialog '%s' cancelled\n", caption_of(h).c_str());
      PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

struct SafetyNet {
  SafetyNet() { SetWindowsHookExA(WH_CBT, safety_hook, nullptr, GetCurrentThreadId()); }
} g_safety_net;

}  // namespace

UiScript::UiScript(std::vector<UiStep> steps) : steps_(std::move(steps)) {
  g_active = this;
  g_timer_owner = this;
  hook_ = SetWindowsHookExA(WH_CBT, hook, nullptr, GetCurrentThreadId());
  timer_ = SetTimer(nullptr, 0, 10, tick);
}

UiScript::~UiScript() {
  KillTimer(nullptr, timer_);
  UnhookWindowsHookEx(hook_);
  g_active = nullptr;
  g_timer_owner = nullptr;
}

LRESULT CALLBACK UiScript::hook(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE && wp && g_active) {
    HWND h = (HWND)wp;
    bool known = false;
    for (HWND p : g_active->pending_) known = known || p == h;
    if (!known) g_active->pending_.push_back(h);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

void CALLBACK UiScript::tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_timer_owner) g_timer_owner->on_tick();
}

void UiScript::on_tick() {
  for (size_t i = 0; i < pending_.size();) {
    HWND h = pending_[i];
    if (!IsWindow(h)) {
      pending_.erase(pending_.begin() + long(i));
      continue;
    }
    if (!IsWindowVisible(h)) {
      ++i;
      continue;
    }
    pending_.erase(pending_.begin() + long(i));
    std::string cls = class_of(h), cap = caption_of(h);
    log_.push_back(cls + "|" + cap + "|" + message_box_text(h));
    if (next_ < steps_.size() && (steps_[next_].window_class.empty() || steps_[next_].window_class == cls) &&
        (steps_[next_].caption.empty() || steps_[next_].caption == cap)) {
      UiStep& step = steps_[next_++];
      if (step.action) step.action(h);
    } else if (cls == "#32770") {
      unexpected_.push_back(cls + "|" + cap + "|" + message_box_text(h));
      PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    }
  }
}

std::function<void(HWND)> press(int id) {
  return [id](HWND dlg) {
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
  };
}

std::function<void(HWND)> set_text_then(int id, std::string text, std::function<void(HWND)> then) {
  return [id, text, then](HWND dlg) {
    SetDlgItemTextA(dlg, id, text.c_str());
    if (then) then(dlg);
  };
}

std::string message_box_text(HWND box) {
  HWND s = GetDlgItem(box, 0xFFFF);
  return s ? caption_of(s) : std::string();
}

std::function<void(HWND)> expect_text_then(std::string text, std::function<void(HWND)> then,
                                           std::string* seen) {
  return [text, then, seen](HWND box) {
    if (seen) *seen = message_box_text(box);
    if (then) then(box);
  };
}

// cdecl call_probe(fn, args, nargs, ret): pushes the arguments last first, calls, and
// reports how far the callee moved the stack pointer back.
__asm__(
    ".text\n"
    ".globl _call_probe_raw\n"
    "_call_probe_raw:\n"
    "  pushl %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl %esp, %ebx\n"
    "  movl 24(%esp), %esi\n"      // args
    "  movl 28(%esp), %ecx\n"      // nargs
    "1:\n"
    "  testl %ecx, %ecx\n"
    "  jz 2f\n"
    "  decl %ecx\n"
    "  pushl (%esi,%ecx,4)\n"
    "  jmp 1b\n"
    "2:\n"
    "  movl 20(%ebx), %eax\n"      // fn
    "  call *%eax\n"
    "  movl 32(%ebx), %edi\n"      // ret
    "  movl %eax, (%edi)\n"
    "  movl 28(%ebx), %ecx\n"
    "  movl %esp, %eax\n"
    "  subl %ebx, %eax\n"          // eax = esp_after - ebx = removed - 4*nargs
    "  leal (%eax,%ecx,4), %eax\n" // removed bytes
    "  movl %ebx, %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");
extern "C" uint32_t call_probe_raw(const void* fn, const uint32_t* args, uint32_t nargs, uint32_t* ret);

uint32_t call_probe(const void* fn, const uint32_t* args, uint32_t nargs, uint32_t* ret) {
  uint32_t r = 0;
  uint32_t popped = call_probe_raw(fn, args, nargs, &r);
  if (ret) *ret = r;
  return popped;
}

bool pump_until(const std::function<bool()>& done, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  }
  return true;
}
