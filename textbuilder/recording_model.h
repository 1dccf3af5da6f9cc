#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "textbuilder/model_interface.h"

// A model that stands behind ModelInterface for tests: it keeps vertices, edges, faces and
// objects, the selection counts and the 3D cursor, honours the exact-capacity rule of
// reserve_vertices / reserve_edges (the vertex array moves on every reserve, as a host's
// may), and logs every callback call as a line of text ("reserve_vertices 5",
// "append_edge 3 4", ...). Problems a host would suffer (an append beyond the reserved
// capacity, an edge naming a vertex that does not exist) are counted in `faults`.
//
// The callbacks carry no context, so one model is active at a time: the one whose
// bind() was called last.
struct RecordingModel {
  struct Edge {
    int32_t from, to;
  };

  std::vector<ModelVertex> vertices;  // size = capacity; vertex_count are in use
  std::vector<Edge> edges;
  std::vector<ModelFace> faces;
  std::deque<ModelObject> objects;  // stable addresses
  std::vector<std::string> log;
  std::vector<std::string> faults;

  int32_t vertex_count = 0, edge_count = 0, face_count = 0;
  int32_t vertex_capacity = 0, edge_capacity = 0;
  int32_t selected_count = 0, unselected_count = 0;
  int32_t cursor_x = 0, cursor_y = 0, cursor_z = 0;
  ModelVertex* vertex_array = nullptr;
  ModelFace* face_array = nullptr;
  ModelObject* current_object = nullptr;
  ModelObject* parent_object = nullptr;
  int characters_done = 0;
  // Answers of apply_to_selection / extrude_selection, in order; 1 when empty.
  std::deque<int32_t> answers;

  ModelInterface iface{};

  RecordingModel();
  RecordingModel(const RecordingModel&) = delete;
  RecordingModel& operator=(const RecordingModel&) = delete;
  ~RecordingModel();

  void bind();  // makes this the model the callbacks act on
  const ModelVertex& vertex(int32_t i) const { return vertex_array[i]; }
  // Log lines whose text starts with `prefix`.
  int count_calls(const std::string& prefix) const;
};
