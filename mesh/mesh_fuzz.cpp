// Fuzz target of the mesh model's operations: the input draws closed contours through the
// model's callbacks (small integer coordinates, so that points repeat, lines run straight,
// contours touch and cross) and then runs fill, bevel and extrusion on chosen selections.
// After every operation the model must be consistent (model_inconsistency).
//
// Input: byte 0 = contours (1..4); per contour a point count (3..18) and that many (y, z)
// bytes, scaled by 64; then operations, one byte each (0 fill, 1 bevel with two more bytes
// for angle and size, 2 extrusion moving the copy back, 3 select everything, 4 select the
// first contour only).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "mesh/mesh_checks.h"
#include "mesh/mesh_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t at = 0;
  auto next = [&]() -> int { return at < size ? data[at++] : -1; };
  int contours = next();
  if (contours < 0) return 0;
  contours = 1 + contours % 4;
  std::vector<Contour> drawn;
  for (int c = 0; c < contours; ++c) {
    int n = next();
    if (n < 0) return 0;
    Contour points;
    for (int i = 0; i < 3 + n % 16; ++i) {
      int y = next(), z = next();
      if (z < 0) return 0;
      points.push_back({(y - 128) * 64, (z - 128) * 64});
    }
    drawn.push_back(points);
  }
  MeshModel m;
  draw_contours(m, drawn);
  int32_t first_contour = int32_t(drawn[0].size());
  m.select_range(0, m.vertex_count, true);
  for (int ops = 0; ops < 12; ++ops) {
    int op = next();
    if (op < 0) break;
    switch (op % 5) {
      case 0: m.iface.apply_to_selection(kModelFill, 0, 1, 0.0, 0.0); break;
      case 1: {
        int angle = next(), bevel = next();
        m.iface.apply_to_selection(kModelBevel, 0, 1, double(angle % 180 - 90), double(bevel < 0 ? 0 : bevel * 16));
        break;
      }
      case 2: {
        int32_t from = m.vertex_count;
        m.iface.extrude_selection(kModelExtrudeCopy);
        for (int32_t i = from; i < m.vertex_count; ++i) m.vertex_array[i].x -= 3000;
        break;
      }
      case 3: m.select_range(0, m.vertex_count, true); break;
      case 4:
        m.select_range(0, m.vertex_count, false);
        m.select_range(0, first_contour, true);
        break;
    }
    if (!model_inconsistency(m).empty()) std::abort();
  }
  return 0;
}
