#include "host/terminal_ui.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "common/message_box.h"
#include "host/zel_command.h"

namespace {

int terminal_box(void* context, const char* text, const char* caption, uint32_t flags) {
  auto* ui = static_cast<TerminalUi*>(context);
  if (ui->progress_done > 0 && ui->interactive) std::fputc('\n', stderr);
  bool question = (flags & 0x0F) == mb::YesNo;
  if (!question) {
    ++ui->boxes_shown;
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return (flags & 0x0F) == mb::OkCancel ? answer::Cancel : answer::Ok;
  }
  if (ui->preset_answer) {
    std::fprintf(stderr, "%s: %s? %s\n", caption, text, ui->preset_answer == answer::Yes ? "yes" : "no");
    return ui->preset_answer;
  }
  if (!ui->interactive) {
    std::fprintf(stderr, "%s: %s? no (not a terminal; use --yes to agree)\n", caption, text);
    return answer::No;
  }
  for (;;) {
    std::fprintf(stderr, "%s: %s? [y/n] ", caption, text);
    std::fflush(stderr);
    char line[64];
    if (!std::fgets(line, sizeof line, stdin)) return answer::No;
    if (line[0] == 'y' || line[0] == 'Y') return answer::Yes;
    if (line[0] == 'n' || line[0] == 'N') return answer::No;
  }
}

void terminal_progress(void* context, const char* text) {
  auto* ui = static_cast<TerminalUi*>(context);
  ++ui->progress_done;
  if (!ui->interactive) {
    std::fprintf(stderr, "%s\n", text);
    return;
  }
  constexpr int kWidth = 30;
  int filled = 0;
  if (ui->progress_total > 0) {
    long done = ui->progress_done < ui->progress_total ? ui->progress_done : ui->progress_total;
    filled = int(done * kWidth / ui->progress_total);
  }
  char bar[kWidth + 1];
  std::memset(bar, ' ', kWidth);
  std::memset(bar, '#', size_t(filled));
  bar[kWidth] = '\0';
  std::fprintf(stderr, "\r[%s] %-40s", bar, text);
  std::fflush(stderr);
}

}  // namespace

UiTable TerminalUi::table() {
  interactive = isatty(0) && isatty(2);
  return UiTable{this, terminal_box, terminal_progress};
}

bool terminal_ui_take_answer(std::vector<std::string>& args, TerminalUi* ui) {
  bool yes = zel_take_flag(args, "--yes");
  bool no = zel_take_flag(args, "--no");
  if (yes && no) return false;
  ui->preset_answer = yes ? answer::Yes : no ? answer::No : 0;
  return true;
}
