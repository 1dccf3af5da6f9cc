#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "textbuilder/model_interface.h"

// What a model standing behind ModelInterface keeps: vertices, edges, faces and objects,
// the selection counts and the 3D cursor, with the record's fields pointing at them. A
// model derives from it and sets the record's callbacks.
struct ModelState {
  struct Edge {
    int32_t from, to;
  };

  std::vector<ModelVertex> vertices;  // size = vertex capacity; vertex_count in use
  std::vector<Edge> edges;            // size = edge capacity; edge_count in use
  std::vector<ModelFace> faces;
  std::deque<ModelObject> objects;    // stable addresses

  int32_t vertex_count = 0, edge_count = 0, face_count = 0;
  int32_t selected_count = 0, unselected_count = 0;
  int32_t cursor_x = 0, cursor_y = 0, cursor_z = 0;
  ModelVertex* vertex_array = nullptr;
  ModelFace* face_array = nullptr;
  ModelObject* current_object = nullptr;
  ModelObject* parent_object = nullptr;
  int characters_done = 0;

  ModelInterface iface{};

  ModelState() {
    iface.vertex_count = &vertex_count;
    iface.edge_count = &edge_count;
    iface.face_count = &face_count;
    iface.selected_vertex_count = &selected_count;
    iface.unselected_vertex_count = &unselected_count;
    iface.vertices = &vertex_array;
    iface.faces = &face_array;
    iface.current_object = &current_object;
    iface.parent_object = &parent_object;
    iface.cursor_x = &cursor_x;
    iface.cursor_y = &cursor_y;
    iface.cursor_z = &cursor_z;
  }
  ModelState(const ModelState&) = delete;
  ModelState& operator=(const ModelState&) = delete;

  const ModelVertex& vertex(int32_t i) const { return vertex_array[i]; }
};
