// The demo's native side of the DLL's 3D letters, with the stand-in host's mesh model:
//
//   qel_mesh_demo build HOST_FOLDER FONT TEXT OPS DUMP
//     builds TEXT with the demo's settings through the native core into the mesh model and
//     writes what each fill, bevel and extrusion did to the model (OPS, for the Win32 host
//     that replays them around QEL.dll) and the finished model (DUMP);
//   qel_mesh_demo export DUMP OUT.obj OUT.png
//     loads a model dump (the one QEL.dll's build left under Wine) into the mesh model and
//     writes it with the mesh exporter and its picture.
// Formats: textbuilder/model_dump.h.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/ui_recorder.h"
#include "mesh/mesh_export.h"
#include "mesh/mesh_model.h"
#include "mesh/mesh_render.h"
#include "mesh/mesh_text.h"
#include "textbuilder/demo_settings.h"
#include "textbuilder/font_reader.h"
#include "textbuilder/model_dump.h"

namespace {

MeshModel* g_model = nullptr;
FILE* g_ops = nullptr;
int32_t(ZEL_CDECL* g_apply)(int32_t, int32_t, int32_t, double, double) = nullptr;
int32_t(ZEL_CDECL* g_extrude)(int32_t) = nullptr;

struct Snapshot {
  std::vector<ModelVertex> vertices;
  std::vector<MeshModel::Edge> edges;
  std::vector<ModelFace> faces;
};

Snapshot take(const MeshModel& m) {
  return Snapshot{std::vector<ModelVertex>(m.vertex_array, m.vertex_array + m.vertex_count),
                  std::vector<MeshModel::Edge>(m.edges.begin(), m.edges.begin() + m.edge_count),
                  std::vector<ModelFace>(m.faces.begin(), m.faces.begin() + m.face_count)};
}

// The operation's effect: every vertex, edge and face that is new or differs.
int32_t note(const Snapshot& s, int32_t answer) {
  const MeshModel& m = *g_model;
  std::fprintf(g_ops, "op %d %d %d %d %d %d\n", answer, m.vertex_count, m.edge_count, m.face_count, m.selected_count,
               m.unselected_count);
  for (int32_t i = 0; i < m.vertex_count; ++i) {
    const ModelVertex& v = m.vertex(i);
    const bool same = size_t(i) < s.vertices.size() && s.vertices[size_t(i)].x == v.x &&
                      s.vertices[size_t(i)].y == v.y && s.vertices[size_t(i)].z == v.z &&
                      s.vertices[size_t(i)].selected == v.selected;
    if (!same) std::fprintf(g_ops, "v %d %d %d %d %d\n", i, v.x, v.y, v.z, v.selected);
  }
  for (int32_t i = 0; i < m.edge_count; ++i) {
    const MeshModel::Edge& e = m.edges[size_t(i)];
    if (size_t(i) >= s.edges.size() || s.edges[size_t(i)].from != e.from || s.edges[size_t(i)].to != e.to)
      std::fprintf(g_ops, "e %d %d %d\n", i, e.from, e.to);
  }
  for (int32_t i = 0; i < m.face_count; ++i) {
    const ModelFace& f = m.faces[size_t(i)];
    if (size_t(i) >= s.faces.size() || std::memcmp(&s.faces[size_t(i)], &f, sizeof f) != 0)
      std::fprintf(g_ops, "f %d %d %d %d %d %d %d %d\n", i, f.corner[0], f.corner[1], f.corner[2], f.red, f.green,
                   f.blue, f.flags);
  }
  std::fprintf(g_ops, "end\n");
  return answer;
}

int32_t ZEL_CDECL traced_apply(int32_t op, int32_t a, int32_t b, double angle, double size) {
  std::fprintf(g_ops, "call apply_to_selection %d %d %d %g %g\n", int(op), int(a), int(b), angle, size);
  const Snapshot s = take(*g_model);
  return note(s, g_apply(op, a, b, angle, size));
}

int32_t ZEL_CDECL traced_extrude(int32_t mode) {
  std::fprintf(g_ops, "call extrude_selection %d\n", int(mode));
  const Snapshot s = take(*g_model);
  return note(s, g_extrude(mode));
}

std::vector<const ModelObject*> builder_objects(const MeshModel& m) {
  std::vector<const ModelObject*> out;
  for (size_t i = 1; i < m.objects.size(); ++i) out.push_back(&m.objects[i]);  // [0] is the root
  return out;
}

int build(const char* host, const char* font, const char* text, const char* ops, const char* dump) {
  UiRecorder ui;
  font_reader_setup(glyph_table_in(host), ui.table());
  MeshModel m;
  m.bind();
  g_model = &m;
  g_apply = m.iface.apply_to_selection;
  g_extrude = m.iface.extrude_selection;
  m.iface.apply_to_selection = traced_apply;
  m.iface.extrude_selection = traced_extrude;
  g_ops = std::fopen(ops, "wb");
  FILE* out = std::fopen(dump, "wb");
  if (!g_ops || !out) return 1;
  build_text(demo_settings(font, text), &m.iface, ui.table());
  std::fclose(g_ops);
  write_model_dump(out, m.vertex_array, m.vertex_count, m.faces.data(), m.face_count, builder_objects(m));
  std::fclose(out);
  for (const RecordedBox& box : ui.boxes) std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
  std::printf("native core: %d vertices, %d faces\n", int(m.vertex_count), int(m.face_count));
  return ui.boxes.empty() ? 0 : 1;
}

int export_dump(const char* dump, const char* obj, const char* png) {
  FILE* in = std::fopen(dump, "rb");
  if (!in) return 1;
  MeshModel m;
  std::vector<int> owners;
  char kind[4];
  while (std::fscanf(in, "%3s", kind) == 1) {
    if (!std::strcmp(kind, "o")) {
      ModelObject o;
      std::memset(&o, 0, sizeof o);
      char name[64] = {};
      if (std::fscanf(in, "%63s %d %d %d", name, &o.ref_x, &o.ref_y, &o.ref_z) != 4) break;
      std::snprintf(o.name, sizeof o.name, "%.*s", int(sizeof o.name - 1), name);
      // A follow point hangs under the letter made just before it; letters under the root.
      ModelObject* parent = std::strcmp(name, "F.Pt.") == 0 ? &m.objects.back() : &m.objects.front();
      m.objects.push_back(o);
      m.parent_of.push_back(parent);
    } else if (!std::strcmp(kind, "v")) {
      ModelVertex v;
      std::memset(&v, 0, sizeof v);
      int selected = 0, owner = -1;
      if (std::fscanf(in, "%d %d %d %d %d", &v.x, &v.y, &v.z, &selected, &owner) != 5) break;
      v.selected = uint8_t(selected);
      m.vertices.push_back(v);
      owners.push_back(owner);
    } else if (!std::strcmp(kind, "f")) {
      ModelFace f;
      std::memset(&f, 0, sizeof f);
      int c[4];
      if (std::fscanf(in, "%d %d %d %d %d %d %d", &f.corner[0], &f.corner[1], &f.corner[2], &c[0], &c[1], &c[2],
                      &c[3]) != 7)
        break;
      f.red = uint8_t(c[0]), f.green = uint8_t(c[1]), f.blue = uint8_t(c[2]), f.flags = uint8_t(c[3]);
      m.faces.push_back(f);
    }
  }
  std::fclose(in);
  for (size_t i = 0; i < m.vertices.size(); ++i)
    if (owners[i] >= 0 && size_t(owners[i]) + 1 < m.objects.size()) m.vertices[i].owner = &m.objects[size_t(owners[i]) + 1];
  m.vertex_count = int32_t(m.vertices.size());
  m.vertex_array = m.vertices.data();
  m.face_count = int32_t(m.faces.size());
  m.face_array = m.faces.data();
  const MeshColourNames names = mesh_colour_names(demo_settings("", " "));
  std::string error;
  if (!mesh_export(m, obj, &names, &error) || !mesh_render_png(m, png, 800, 450, &error)) {
    std::fprintf(stderr, "qel_mesh_demo: %s\n", error.c_str());
    return 1;
  }
  std::printf("exported %d vertices, %d faces to %s and %s\n", int(m.vertex_count), int(m.face_count), obj, png);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 7 && !std::strcmp(argv[1], "build")) return build(argv[2], argv[3], argv[4], argv[5], argv[6]);
  if (argc == 5 && !std::strcmp(argv[1], "export")) return export_dump(argv[2], argv[3], argv[4]);
  std::fprintf(stderr, "usage: qel_mesh_demo build HOST_FOLDER FONT TEXT OPS DUMP\n"
                       "       qel_mesh_demo export DUMP OUT.obj OUT.png\n");
  return 2;
}
