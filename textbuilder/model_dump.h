#pragma once
// Plain-text forms of a model, shared by the demo's native and Win32 programs so that what
// QEL.dll built under Wine can be compared with the native build and handed to the mesh
// exporter.
//
// Model dump, one item per line:
//   o NAME RX RY RZ                      each object the builder made, in creation order
//   v X Y Z SELECTED OWNER               each vertex; OWNER = object number above, -1 none
//   f C0 C1 C2 R G B FLAGS               each face
//
// Host operations (what the stand-in host's fill, bevel and extrusion did to the model),
// one block per operation:
//   call NAME ARGUMENTS                  the call, as the recording model logs it
//   op ANSWER VERTICES EDGES FACES SELECTED UNSELECTED    the counts afterwards
//   v INDEX X Y Z SELECTED               a vertex made or changed by the operation
//   e INDEX FROM TO                      an edge made or changed
//   f INDEX C0 C1 C2 R G B FLAGS         a face made or changed
//   end
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "textbuilder/model_interface.h"

inline void write_model_dump(FILE* out, const ModelVertex* vertices, int32_t vertex_count, const ModelFace* faces,
                             int32_t face_count, const std::vector<const ModelObject*>& objects) {
  for (const ModelObject* o : objects) {
    char name[sizeof o->name + 1] = {};
    std::memcpy(name, o->name, sizeof o->name);
    std::fprintf(out, "o %s %d %d %d\n", name[0] ? name : "-", o->ref_x, o->ref_y, o->ref_z);
  }
  for (int32_t i = 0; i < vertex_count; ++i) {
    const ModelVertex& v = vertices[i];
    int owner = -1;
    for (size_t k = 0; k < objects.size(); ++k)
      if (objects[k] == v.owner) owner = int(k);
    std::fprintf(out, "v %d %d %d %d %d\n", v.x, v.y, v.z, v.selected, owner);
  }
  for (int32_t i = 0; i < face_count; ++i) {
    const ModelFace& f = faces[i];
    std::fprintf(out, "f %d %d %d %d %d %d %d\n", f.corner[0], f.corner[1], f.corner[2], f.red, f.green, f.blue,
                 f.flags);
  }
}
