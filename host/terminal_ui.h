#pragma once
#include <cstdint>

#include "common/ui.h"

// The `zel` host's UiTable: message boxes become messages on stderr ("Caption: text"),
// Yes/No questions are asked on the terminal unless an answer was given in advance
// (--yes / --no), progress texts become a progress line on a terminal (plain lines
// otherwise).
struct TerminalUi {
  int preset_answer = 0;        // 0 = ask; otherwise the answer to every Yes/No question
  bool interactive = false;     // stdin and stderr are terminals
  int boxes_shown = 0;          // boxes that were not questions (errors and warnings)
  long progress_done = 0;       // progress texts seen so far
  long progress_total = 0;      // expected number of progress texts, 0 if unknown

  UiTable table();
};

// Reads --yes / --no into ui.preset_answer; false if both were given.
#include <string>
#include <vector>
bool terminal_ui_take_answer(std::vector<std::string>& args, TerminalUi* ui);
