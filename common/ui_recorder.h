#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "common/ui.h"

// A UiTable for tests and scripted runs: records every box and progress text and answers
// boxes from a queue (Ok when the queue is empty).
struct RecordedBox {
  std::string text;
  std::string caption;
  uint32_t flags;
};

struct UiRecorder {
  std::vector<RecordedBox> boxes;
  std::vector<std::string> progress;
  std::deque<int> answers;

  UiTable table() {
    return UiTable{this, &UiRecorder::on_box, &UiRecorder::on_progress};
  }

 private:
  static int on_box(void* self, const char* text, const char* caption, uint32_t flags) {
    auto* r = static_cast<UiRecorder*>(self);
    r->boxes.push_back({text ? text : "", caption ? caption : "", flags});
    if (r->answers.empty()) return 1;
    int a = r->answers.front();
    r->answers.pop_front();
    return a;
  }
  static void on_progress(void* self, const char* text) {
    static_cast<UiRecorder*>(self)->progress.emplace_back(text ? text : "");
  }
};
