// qel_make_log HOST_FOLDER FONT TEXT LOG: the native core's build of TEXT in FONT with the
// demo's settings, into a recording model; writes the model calls one per line, as
// qel_dialog_shot writes those QEL.dll made under Wine.
#include <cstdio>

#include "common/ui_recorder.h"
#include "textbuilder/demo_settings.h"
#include "textbuilder/font_reader.h"
#include "textbuilder/recording_model.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: qel_make_log HOST_FOLDER FONT TEXT LOG\n");
    return 2;
  }
  UiRecorder ui;
  font_reader_setup(glyph_table_in(argv[1]), ui.table());
  RecordingModel model;
  model.bind();
  build_text(demo_settings(argv[2], argv[3]), &model.iface, ui.table());
  FILE* log = std::fopen(argv[4], "wb");
  if (!log) return 1;
  for (const std::string& line : model.log) std::fprintf(log, "%s\n", line.c_str());
  std::fclose(log);
  for (const RecordedBox& box : ui.boxes) std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
  return 0;
}
