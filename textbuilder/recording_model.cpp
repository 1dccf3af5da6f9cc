#include "textbuilder/recording_model.h"

#include <cstdio>

namespace {

RecordingModel* active = nullptr;

void record(const char* fmt, long a = 0, long b = 0) {
  char text[96];
  std::snprintf(text, sizeof text, fmt, a, b);
  active->log.emplace_back(text);
}

void fault(const std::string& what) { active->faults.push_back(what); }

void ZEL_CDECL on_append_vertex() {
  if (!active) return;
  record("append_vertex");
  RecordingModel& r = *active;
  if (r.vertex_count >= r.vertex_capacity) return fault("append_vertex beyond capacity");
  ModelVertex& v = r.vertices[size_t(r.vertex_count)];
  v = ModelVertex{};
  v.owner = r.current_object;
  ++r.vertex_count;
  ++r.unselected_count;
}

void ZEL_CDECL on_append_edge(int32_t from, int32_t to) {
  if (!active) return;
  record("append_edge %ld %ld", from, to);
  RecordingModel& r = *active;
  if (r.edge_count >= r.edge_capacity) return fault("append_edge beyond capacity");
  if (from < 0 || from >= r.vertex_count || to < 0 || to >= r.vertex_count)
    fault("append_edge names a missing vertex");
  r.edges[size_t(r.edge_count++)] = RecordingModel::Edge{from, to};
}

void ZEL_CDECL on_create_object(ModelObject* parent) {
  if (!active) return;
  record("create_object");
  active->objects.emplace_back();
  active->current_object = &active->objects.back();
  (void)parent;
}

// Exact capacity. Small models get a new array on every call so that a stale pointer
// shows (under AddressSanitizer); large ones move only when they grow past their storage.
void ZEL_CDECL on_reserve_vertices(int32_t n) {
  if (!active) return;
  record("reserve_vertices %ld", n);
  RecordingModel& r = *active;
  if (n < r.vertex_count) return fault("reserve_vertices below the vertex count");
  if (n <= 4096) {
    std::vector<ModelVertex> moved(static_cast<size_t>(n));
    for (int32_t i = 0; i < r.vertex_count; ++i) moved[size_t(i)] = r.vertices[size_t(i)];
    r.vertices.swap(moved);
  } else {
    r.vertices.resize(size_t(n));
  }
  r.vertex_capacity = n;
  r.vertex_array = r.vertices.data();
}

void ZEL_CDECL on_reserve_edges(int32_t n) {
  if (!active) return;
  record("reserve_edges %ld", n);
  RecordingModel& r = *active;
  if (n < r.edge_count) return fault("reserve_edges below the edge count");
  r.edges.resize(size_t(n));
  r.edge_capacity = n;
}

void ZEL_CDECL on_character_done() {
  if (!active) return;
  record("character_done");
  ++active->characters_done;
}

int32_t next_answer() {
  if (active->answers.empty()) return 1;
  int32_t a = active->answers.front();
  active->answers.pop_front();
  return a;
}

int32_t ZEL_CDECL on_apply_to_selection(int32_t op, int32_t a, int32_t b, double angle, double size) {
  if (!active) return 0;
  char text[128];
  std::snprintf(text, sizeof text, "apply_to_selection %d %d %d %g %g", int(op), int(a), int(b), angle, size);
  active->log.emplace_back(text);
  return next_answer();
}

int32_t ZEL_CDECL on_extrude_selection(int32_t mode) {
  if (!active) return 0;
  record("extrude_selection %ld", mode);
  return next_answer();
}

}  // namespace

RecordingModel::RecordingModel() {
  iface.append_vertex = on_append_vertex;
  iface.append_edge = on_append_edge;
  iface.create_object = on_create_object;
  iface.reserve_vertices = on_reserve_vertices;
  iface.reserve_edges = on_reserve_edges;
  iface.character_done = on_character_done;
  iface.apply_to_selection = on_apply_to_selection;
  iface.extrude_selection = on_extrude_selection;
  bind();
}

RecordingModel::~RecordingModel() {
  if (active == this) active = nullptr;
}

void RecordingModel::bind() { active = this; }

int RecordingModel::count_calls(const std::string& prefix) const {
  int n = 0;
  for (const std::string& line : log)
    if (line.compare(0, prefix.size(), prefix) == 0) ++n;
  return n;
}
