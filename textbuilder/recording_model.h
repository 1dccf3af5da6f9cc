#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "textbuilder/model_state.h"

// A model that stands behind ModelInterface for tests: it honours the exact-capacity rule of
// reserve_vertices / reserve_edges (the vertex array moves on every reserve, as a host's
// may), and logs every callback call as a line of text ("reserve_vertices 5",
// "append_edge 3 4", ...). Problems a host would suffer (an append beyond the reserved
// capacity, an edge naming a vertex that does not exist) are counted in `faults`.
//
// The callbacks carry no context, so one model is active at a time: the one whose
// bind() was called last.
struct RecordingModel : ModelState {
  std::vector<std::string> log;
  std::vector<std::string> faults;
  int32_t vertex_capacity = 0, edge_capacity = 0;
  // Answers of apply_to_selection / extrude_selection, in order; 1 when empty.
  std::deque<int32_t> answers;

  RecordingModel();
  ~RecordingModel();

  void bind();  // makes this the model the callbacks act on
  // Log lines whose text starts with `prefix`.
  int count_calls(const std::string& prefix) const;
};
