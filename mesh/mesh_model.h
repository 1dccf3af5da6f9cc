#pragma once
#include <cstdint>
#include <vector>

#include "textbuilder/model_state.h"

// A real model behind ModelInterface (faces are triangles, objects named), with fill, bevel and extrusion that make real
// geometry.
//
// - Vertex and edge arrays have exactly the capacity the last reserve_vertices /
//   reserve_edges asked for (the vertex array moves when it is resized, as a host's may).
//   The model's own operations grow the arrays as they need.
// - Faces are triangles; ModelFace::corner holds the three vertex indices, counter-
//   clockwise seen from outside the solid.
// - Fill (apply_to_selection 0): the closed outlines formed by edges between selected
//   vertices are triangulated together under the odd winding rule (holes and touching
//   contours included). The fill faces away from faces already on the outline's edges, or
//   towards +X (the reader of left-to-right text) when there are none.
// - Bevel (apply_to_selection 3, angle in degrees, size in model units): the outline is
//   inset by `size` in its plane; the inset outline is raised by size x tan(angle) along
//   +X (a negative angle: along -X), joined to the old outline by a slanted ring of faces
//   and left selected. Where a stroke is thinner than twice the size the inset vanishes
//   there and the ring closes over it flat.
// - Extrusion (extrude_selection 1): the selected vertices are copied in place, in index
//   order, as one block; every outline edge gets its copy and two side faces, and every face
//   lying on the selection (a fill made before the extrusion) a copy turned round, which
//   closes the solid's other end. The copy is selected, the outline is not. Side faces are oriented for a copy that will be moved
//   behind the outline (towards -X), which is what the text builder does.
//
// Outlines are read with repeated points (consecutive vertices at the same place) taken
// as one vertex, so zero-length segments never make a degenerate face. Every operation
// first works out its result and only then changes the model: an operation that fails
// (allocation failure, a tessellator error) answers 0 and leaves the counts, selection and
// arrays as they were. Nothing selected, or only open chains, is no failure: the operation
// then makes no faces and answers 1.
//
// Seconds spent in each kind of operation through the callbacks (for the benchmark).
struct MeshTimes {
  double fill = 0, bevel = 0, extrude = 0;
};

// The callbacks carry no context: one model is active at a time, the one whose bind() was
// called last (the constructor binds).
struct MeshModel : ModelState {
  // objects[0] is the root.
  std::vector<ModelObject*> parent_of;  // parent given to create_object, per object
  // Test hook: the next operation (fill, bevel, extrusion) with this number (1-based,
  // counting every operation since construction) fails as if memory ran out.
  int fail_operation = 0;
  int operations = 0;
  MeshTimes times;

  MeshModel();
  ~MeshModel();

  void bind();
  // The object owning a face: the owner of its first corner.
  const ModelObject* face_owner(int32_t face) const;
  // Sets the selection byte of [from, to) to `on`, keeping the counts in step.
  void select_range(int32_t from, int32_t to, bool on);
};

// The operations themselves, on the model given (the callbacks call these on the active
// model). Each answers 1 on success and 0 on failure.
int32_t mesh_fill(MeshModel& m);
int32_t mesh_bevel(MeshModel& m, double angle_degrees, double size);
int32_t mesh_extrude(MeshModel& m);
