// The demo's Win32 host for QEL.dll: calls _QELbuilder as a host does, with the demo's
// settings, answers the "Text Builder Utility" dialog by pressing "Make", and writes what
// the build left in the model.
//
//   qel_dialog_shot HOST_FOLDER FONT TEXT OUT.bmp LOG [OUTLINE.obj]
//     a recording model: pictures the dialog as it stands on the screen first, then writes
//     the model calls (one per line) and, if asked, the letters' outlines as OBJ lines;
//   qel_dialog_shot --replay OPS DUMP HOST_FOLDER FONT TEXT
//     a recording model whose fill, bevel and extrusion replay what the stand-in host's mesh
//     model did in the native build (OPS), so that the DLL builds whole solid letters; writes
//     the finished model (DUMP). Formats: textbuilder/model_dump.h.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/win32/testkit.h"
#include "textbuilder/demo_settings.h"
#include "textbuilder/model_dump.h"
#include "textbuilder/recording_model.h"

namespace {

using BuilderFn = int(__cdecl*)(HWND, const char*, ModelInterface*, TextBuildSettings*);

RecordingModel* g_model = nullptr;
FILE* g_ops = nullptr;
int g_mismatches = 0;  // calls of the DLL that differ from the native build's

bool next_line(char* line, int size) { return std::fgets(line, size, g_ops) != nullptr; }

// Applies the next operation block of OPS to the model; `call` is the DLL's call as the
// recording model would log it.
int32_t replay(const std::string& call) {
  RecordingModel& r = *g_model;
  r.log.push_back(call);
  char line[256];
  if (!next_line(line, sizeof line) || ("call " + call + "\n") != line) ++g_mismatches;
  int answer = 0, counts[5] = {};
  if (!next_line(line, sizeof line) ||
      std::sscanf(line, "op %d %d %d %d %d %d", &answer, &counts[0], &counts[1], &counts[2], &counts[3], &counts[4]) != 6) {
    ++g_mismatches;
    return 0;
  }
  if (counts[0] > r.vertex_capacity) r.vertices.resize(size_t(r.vertex_capacity = counts[0]));
  if (counts[1] > r.edge_capacity) r.edges.resize(size_t(r.edge_capacity = counts[1]));
  r.faces.resize(size_t(counts[2]));
  while (next_line(line, sizeof line) && std::strncmp(line, "end", 3) != 0) {
    int i = 0, a[7] = {};
    if (std::sscanf(line, "v %d %d %d %d %d", &i, &a[0], &a[1], &a[2], &a[3]) == 5 && i >= 0 && i < counts[0]) {
      ModelVertex& v = r.vertices[size_t(i)];
      if (i >= r.vertex_count) v = ModelVertex{}, v.owner = r.current_object;
      v.x = a[0], v.y = a[1], v.z = a[2], v.selected = uint8_t(a[3]);
    } else if (std::sscanf(line, "e %d %d %d", &i, &a[0], &a[1]) == 3 && i >= 0 && i < counts[1]) {
      r.edges[size_t(i)] = RecordingModel::Edge{a[0], a[1]};
    } else if (std::sscanf(line, "f %d %d %d %d %d %d %d %d", &i, &a[0], &a[1], &a[2], &a[3], &a[4], &a[5], &a[6]) == 8 &&
               i >= 0 && i < counts[2]) {
      ModelFace& f = r.faces[size_t(i)];
      f = ModelFace{};
      f.corner[0] = a[0], f.corner[1] = a[1], f.corner[2] = a[2];
      f.red = uint8_t(a[3]), f.green = uint8_t(a[4]), f.blue = uint8_t(a[5]), f.flags = uint8_t(a[6]);
    }
  }
  r.vertex_count = counts[0], r.edge_count = counts[1], r.face_count = counts[2];
  r.selected_count = counts[3], r.unselected_count = counts[4];
  r.vertex_array = r.vertices.data();
  r.face_array = r.faces.data();
  return answer;
}

int32_t __cdecl replay_apply(int32_t op, int32_t a, int32_t b, double angle, double size) {
  char call[128];
  std::snprintf(call, sizeof call, "apply_to_selection %d %d %d %g %g", int(op), int(a), int(b), angle, size);
  return replay(call);
}

int32_t __cdecl replay_extrude(int32_t mode) { return replay("extrude_selection " + std::to_string(mode)); }

BuilderFn load_builder() {
  HMODULE dll = LoadLibraryA("QEL.dll");
  BuilderFn builder = dll ? (BuilderFn)(void*)GetProcAddress(dll, "_QELbuilder") : nullptr;
  if (!builder) std::fprintf(stderr, "qel_dialog_shot: no _QELbuilder in QEL.dll\n");
  return builder;
}

int replay_build(char** argv) {
  BuilderFn builder = load_builder();
  g_ops = std::fopen(argv[2], "rb");
  FILE* dump = std::fopen(argv[3], "wb");
  if (!builder || !g_ops || !dump) return 1;
  TextBuildSettings s = demo_settings(argv[5], argv[6]);
  RecordingModel model;
  model.bind();
  g_model = &model;
  model.iface.apply_to_selection = replay_apply;
  model.iface.extrude_selection = replay_extrude;
  UiScript script({{"#32770", "Text Builder Utility", press(122)}});
  const int answer = builder(nullptr, argv[4], &model.iface, &s);
  std::vector<const ModelObject*> objects;
  for (const ModelObject& o : model.objects) objects.push_back(&o);
  write_model_dump(dump, model.vertex_array, model.vertex_count, model.face_array, model.face_count, objects);
  std::fclose(dump);
  char rest[8];
  if (next_line(rest, sizeof rest)) ++g_mismatches;  // operations the DLL never asked for
  std::printf("QEL.dll with the replayed host: answered %d; %d vertices, %d faces, %d letters, %d mismatches\n",
              answer, int(model.vertex_count), int(model.face_count), model.characters_done, g_mismatches);
  return answer == 1 && g_mismatches == 0 && script.steps_done() == 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 7 && std::strcmp(argv[1], "--replay") == 0) return replay_build(argv);
  if (argc < 6) {
    std::fprintf(stderr, "usage: qel_dialog_shot HOST_FOLDER FONT TEXT OUT.bmp LOG [OUTLINE.obj]\n"
                         "       qel_dialog_shot --replay OPS DUMP HOST_FOLDER FONT TEXT\n");
    return 2;
  }
  BuilderFn builder = load_builder();
  if (!builder) return 1;
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
