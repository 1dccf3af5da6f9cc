#pragma once
#include <cstddef>
#include <cstdint>

#include "common/callconv.h"

// The host's model as the text builder sees it. The host owns every record here and lays
// them out byte for byte as declared (32-bit pointers, int32 fields, little-endian); the
// builder reaches the model only through these fields and callbacks. Fields marked
// reserved belong to the host and are never touched by the builder.

struct ModelObject;

// One vertex of the model, 32 bytes.
struct ModelVertex {
  ModelObject* owner;
  uint8_t selected;  // 0 or 1; the builder never changes other values
  uint8_t reserved[15];
  int32_t x, y, z;
};

// One face of the model, 24 bytes. The corner indices are the host's own business; the
// builder writes only the colour and the flag byte.
struct ModelFace {
  int32_t corner[3];
  uint8_t red, green, blue;
  uint8_t reserved0[3];
  uint8_t flags;  // bit 7: made by an extrusion or a bevel
  uint8_t reserved1[5];
};

constexpr uint8_t kFaceFromExtrusion = 0x80;

// An object of the model: its reference point and its name (at most 6 bytes written).
struct ModelObject {
  uint8_t reserved0[216];
  int32_t ref_x, ref_y, ref_z;
  uint8_t reserved1[108];
  char name[16];
};

// The model record handed to the builder. Callbacks are called with the caller removing
// the arguments. The vertex array may move at any call: read *vertices again every time.
struct ModelInterface {
  int32_t* vertex_count;
  int32_t* edge_count;
  int32_t* face_count;
  void* reserved0c;
  int32_t* selected_vertex_count;
  int32_t* unselected_vertex_count;
  void* reserved18[3];
  ModelVertex** vertices;
  void* reserved28;
  ModelFace** faces;
  ModelObject** current_object;
  ModelObject** parent_object;
  void* reserved38[3];
  int32_t* cursor_x;
  int32_t* cursor_y;
  int32_t* cursor_z;
  void* reserved50[14];
  void(ZEL_CDECL* append_vertex)();
  void(ZEL_CDECL* append_edge)(int32_t from, int32_t to);
  void* reserved90;
  void(ZEL_CDECL* create_object)(ModelObject* parent);
  void(ZEL_CDECL* reserve_vertices)(int32_t n);
  void(ZEL_CDECL* reserve_edges)(int32_t n);
  void* reserved_a0[2];
  void(ZEL_CDECL* character_done)();
  void* reserved_ac;
  int32_t(ZEL_CDECL* apply_to_selection)(int32_t op, int32_t a, int32_t b, double angle, double size);
  int32_t(ZEL_CDECL* extrude_selection)(int32_t mode);
};

// apply_to_selection operations.
constexpr int32_t kModelFill = 0;
constexpr int32_t kModelBevel = 3;
// extrude_selection mode: copy the selected outline in place with side faces.
constexpr int32_t kModelExtrudeCopy = 1;

static_assert(offsetof(ModelObject, ref_x) == 216 && offsetof(ModelObject, ref_y) == 220 &&
                  offsetof(ModelObject, ref_z) == 224 && offsetof(ModelObject, name) == 336,
              "ModelObject layout");
static_assert(sizeof(ModelFace) == 24 && offsetof(ModelFace, red) == 12 &&
                  offsetof(ModelFace, green) == 13 && offsetof(ModelFace, blue) == 14 &&
                  offsetof(ModelFace, flags) == 18,
              "ModelFace layout");

#if defined(__i386__) || defined(_M_IX86)
static_assert(sizeof(ModelVertex) == 32, "ModelVertex is 32 bytes");
static_assert(offsetof(ModelVertex, owner) == 0 && offsetof(ModelVertex, selected) == 4 &&
                  offsetof(ModelVertex, x) == 20 && offsetof(ModelVertex, y) == 24 &&
                  offsetof(ModelVertex, z) == 28,
              "ModelVertex layout");
static_assert(offsetof(ModelInterface, vertex_count) == 0x00, "vertex count");
static_assert(offsetof(ModelInterface, edge_count) == 0x04, "edge count");
static_assert(offsetof(ModelInterface, face_count) == 0x08, "face count");
static_assert(offsetof(ModelInterface, selected_vertex_count) == 0x10, "selected vertices");
static_assert(offsetof(ModelInterface, unselected_vertex_count) == 0x14, "unselected vertices");
static_assert(offsetof(ModelInterface, vertices) == 0x24, "vertex array");
static_assert(offsetof(ModelInterface, faces) == 0x2C, "face array");
static_assert(offsetof(ModelInterface, current_object) == 0x30, "current object");
static_assert(offsetof(ModelInterface, parent_object) == 0x34, "parent object");
static_assert(offsetof(ModelInterface, cursor_x) == 0x44 && offsetof(ModelInterface, cursor_y) == 0x48 &&
                  offsetof(ModelInterface, cursor_z) == 0x4C,
              "cursor");
static_assert(offsetof(ModelInterface, append_vertex) == 0x88, "append_vertex");
static_assert(offsetof(ModelInterface, append_edge) == 0x8C, "append_edge");
static_assert(offsetof(ModelInterface, create_object) == 0x94, "create_object");
static_assert(offsetof(ModelInterface, reserve_vertices) == 0x98, "reserve_vertices");
static_assert(offsetof(ModelInterface, reserve_edges) == 0x9C, "reserve_edges");
static_assert(offsetof(ModelInterface, character_done) == 0xA8, "character_done");
static_assert(offsetof(ModelInterface, apply_to_selection) == 0xB0, "apply_to_selection");
static_assert(offsetof(ModelInterface, extrude_selection) == 0xB4, "extrude_selection");
static_assert(sizeof(ModelInterface) == 0xB8, "ModelInterface size");
#endif
