// qel_dialog_shot HOST_FOLDER FONT TEXT OUT.bmp LOG [OUTLINE.obj]: calls QEL.dll's
// _QELbuilder as a host does, with a recording model behind ModelInterface; pictures the
// "Text Builder Utility" dialog as it stands on the screen, presses "Make", and writes the
// model calls the build made (one per line) and, if asked, the letters' outlines as OBJ
// lines ("v" per vertex, "l" per edge) in model units.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/win32/testkit.h"
#include "textbuilder/recording_model.h"
#include "textbuilder/demo_settings.h"

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: qel_dialog_shot HOST_FOLDER FONT TEXT OUT.bmp LOG [OUTLINE.obj]\n");
    return 2;
  }
  HMODULE dll = LoadLibraryA("QEL.dll");
  using BuilderFn = int(__cdecl*)(HWND, const char*, ModelInterface*, TextBuildSettings*);
  BuilderFn builder = dll ? (BuilderFn)(void*)GetProcAddress(dll, "_QELbuilder") : nullptr;
  if (!builder) {
    std::fprintf(stderr, "qel_dialog_shot: no _QELbuilder in QEL.dll\n");
    return 1;
  }
  TextBuildSettings s = demo_settings(argv[2], argv[3]);

  bool saved = false;
  UiScript script({{"#32770", "Text Builder Utility", [&](HWND dlg) {
                      RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
                      saved = write_bmp(read_window_pixels(dlg), argv[4]);
                      press(122)(dlg);
                    }}});
  RecordingModel model;
  model.bind();
  const int answer = builder(nullptr, argv[1], &model.iface, &s);
  if (script.steps_done() != 1 || !script.unexpected().empty()) {
    std::fprintf(stderr, "qel_dialog_shot: the dialog did not go as scripted\n");
    return 1;
  }
  FILE* log = std::fopen(argv[5], "wb");
  if (!log) return 1;
  for (const std::string& line : model.log) std::fprintf(log, "%s\n", line.c_str());
  std::fclose(log);
  if (argc > 6) {
    FILE* obj = std::fopen(argv[6], "wb");
    if (!obj) return 1;
    std::fprintf(obj, "# outlines of \"%s\" as QEL.dll wrote them into the model\n", s.text);
    for (int32_t i = 0; i < model.vertex_count; ++i)
      std::fprintf(obj, "v %d %d %d\n", model.vertex(i).x, model.vertex(i).y, model.vertex(i).z);
    for (int32_t i = 0; i < model.edge_count; ++i)
      std::fprintf(obj, "l %d %d\n", model.edges[size_t(i)].from + 1, model.edges[size_t(i)].to + 1);
    std::fclose(obj);
  }
  std::printf("QEL.dll: _QELbuilder answered %d; %d model calls, %d vertices, %d edges, %d letters%s\n", answer,
              int(model.log.size()), int(model.vertex_count), int(model.edge_count), model.characters_done,
              saved ? "" : " (no picture)");
  return answer == 1 && saved ? 0 : 1;
}
