#pragma once
// Helpers for the Win32 test hosts that run under Wine: scripted answers to modal UI,
// a probe that measures how many argument bytes a callee removed, and pixel read-back.
#include <windows.h>

#include "tests/win32/pixels.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One expected window: class ("#32770" for dialogs and message boxes) and caption (empty =
// any), and what to do with it once it is visible.
struct UiStep {
  std::string window_class;
  std::string caption;
  std::function<void(HWND)> action;
};

// While a UiScript lives, every window activated on this thread is matched against the
// next step; a dialog that matches no step is recorded as unexpected and cancelled.
// Hook: notes windows on HCBT_ACTIVATE; a thread timer acts once they are visible (the
// text of a message box is not set yet when it is activated).
class UiScript {
 public:
  explicit UiScript(std::vector<UiStep> steps);
  ~UiScript();
  UiScript(const UiScript&) = delete;
  UiScript& operator=(const UiScript&) = delete;

  size_t steps_done() const { return next_; }
  const std::vector<std::string>& unexpected() const { return unexpected_; }
  // "class|caption|text of static 0xFFFF" for each window seen, in order.
  const std::vector<std::string>& log() const { return log_; }

 private:
  static LRESULT CALLBACK hook(int code, WPARAM wp, LPARAM lp);
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
  void on_tick();

  std::vector<UiStep> steps_;
  size_t next_ = 0;
  std::vector<HWND> pending_;
  std::vector<std::string> unexpected_;
  std::vector<std::string> log_;
  HHOOK hook_ = nullptr;
  UINT_PTR timer_ = 0;
};

// Actions for steps.
std::function<void(HWND)> press(int id);                              // WM_COMMAND BN_CLICKED
std::function<void(HWND)> set_text_then(int id, std::string text, std::function<void(HWND)> then);
std::function<void(HWND)> expect_text_then(std::string text, std::function<void(HWND)> then,
                                           std::string* seen);        // message box text
std::string message_box_text(HWND box);                               // static 0xFFFF

// Calls fn(args[0..n-1]) as a cdecl caller would and returns how many argument bytes the
// callee removed from the stack (4*n for stdcall, 0 for cdecl); the result goes to *ret.
uint32_t call_probe(const void* fn, const uint32_t* args, uint32_t nargs, uint32_t* ret);

// Runs the thread's message loop until done() returns true or timeout_ms passes.
bool pump_until(const std::function<bool()>& done, DWORD timeout_ms);
