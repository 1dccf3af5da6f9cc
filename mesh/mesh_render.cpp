#include "mesh/mesh_render.h"

#include <GL/osmesa.h>
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "common/png_file.h"

namespace {

struct Vec {
  double x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double length(Vec a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
Vec unit(Vec a) {
  double l = length(a);
  return l > 0 ? Vec{a.x / l, a.y / l, a.z / l} : Vec{0, 0, 0};
}

Vec position(const MeshModel& m, int32_t i) {
  const ModelVertex& v = m.vertex(i);
  return {double(v.x), double(v.y), double(v.z)};
}

// Where the camera looks from (towards the mesh's centre) and where the light comes from.
const Vec kViewFrom = {1.0, -0.75, 0.55};
const Vec kLightFrom = {0.8, -1.0, 0.7};

void draw(const MeshModel& m, int width, int height, bool from_back) {
  Vec lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
  for (int32_t f = 0; f < m.face_count; ++f)
    for (int k = 0; k < 3; ++k) {
      Vec p = position(m, m.faces[size_t(f)].corner[k]);
      lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
      hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
  glViewport(0, 0, width, height);
  glClearColor(0.93f, 0.94f, 0.96f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (m.face_count == 0) return;
  Vec centre{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
  // Fit: the extents of the box's corners along the view's right and up directions.
  // Seen from the back: the view and the light turned half round the vertical.
  double turn = from_back ? -1 : 1;
  Vec back = unit(Vec{turn * kViewFrom.x, turn * kViewFrom.y, kViewFrom.z});
  Vec right = unit(cross(Vec{0, 0, 1}, back));
  Vec up = cross(back, right);
  double half_w = 0, half_h = 0, depth = 1;
  for (int c = 0; c < 8; ++c) {
    Vec p = Vec{c & 1 ? hi.x : lo.x, c & 2 ? hi.y : lo.y, c & 4 ? hi.z : lo.z} - centre;
    half_w = std::max(half_w, std::fabs(p.x * right.x + p.y * right.y + p.z * right.z));
    half_h = std::max(half_h, std::fabs(p.x * up.x + p.y * up.y + p.z * up.z));
    depth = std::max(depth, length(p));
  }
  double aspect = double(width) / double(height);
  half_w = std::max(half_w, half_h * aspect) * 1.08;
  half_h = half_w / aspect;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-half_w, half_w, -half_h, half_h, -2 * depth, 2 * depth);
  glMatrixMode(GL_MODELVIEW);
  // Rows of the view matrix: right, up, back (the camera looks along -back).
  GLdouble view[16] = {right.x, up.x, back.x, 0, right.y, up.y, back.y, 0, right.z, up.z, back.z, 0, 0, 0, 0, 1};
  glLoadMatrixd(view);
  glTranslated(-centre.x, -centre.y, -centre.z);

  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_NORMALIZE);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  Vec l = unit(Vec{turn * kLightFrom.x, turn * kLightFrom.y, kLightFrom.z});
  GLfloat light_dir[4] = {GLfloat(l.x), GLfloat(l.y), GLfloat(l.z), 0.0f};
  GLfloat ambient[4] = {0.3f, 0.3f, 0.3f, 1.0f}, diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, light_dir);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glBegin(GL_TRIANGLES);
  for (int32_t f = 0; f < m.face_count; ++f) {
    const ModelFace& face = m.faces[size_t(f)];
    Vec a = position(m, face.corner[0]), b = position(m, face.corner[1]), c = position(m, face.corner[2]);
    Vec n = unit(cross(b - a, c - a));
    glColor3ub(face.red, face.green, face.blue);
    glNormal3d(n.x, n.y, n.z);
    glVertex3d(a.x, a.y, a.z);
    glVertex3d(b.x, b.y, b.z);
    glVertex3d(c.x, c.y, c.z);
  }
  glEnd();
  glFinish();
}

}  // namespace

std::vector<uint8_t> mesh_render(const MeshModel& m, int width, int height, std::string* error, bool from_back) {
  std::vector<uint8_t> rgb;
  if (width < 1 || height < 1 || width > 8192 || height > 8192) {
    if (error) *error = "picture size out of range";
    return rgb;
  }
  OSMesaContext ctx = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
  if (!ctx) {
    if (error) *error = "no offscreen GL context";
    return rgb;
  }
  std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4);
  if (!OSMesaMakeCurrent(ctx, rgba.data(), GL_UNSIGNED_BYTE, width, height)) {
    OSMesaDestroyContext(ctx);
    if (error) *error = "cannot draw offscreen";
    return rgb;
  }
  draw(m, width, height, from_back);
  OSMesaDestroyContext(ctx);
  rgb.resize(size_t(width) * size_t(height) * 3);
  for (int y = 0; y < height; ++y)  // GL's first row is the bottom one
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        rgb[(size_t(y) * size_t(width) + size_t(x)) * 3 + size_t(c)] =
            rgba[(size_t(height - 1 - y) * size_t(width) + size_t(x)) * 4 + size_t(c)];
  return rgb;
}

bool mesh_render_png(const MeshModel& m, const std::string& path, int width, int height, std::string* error,
                     bool from_back) {
  std::vector<uint8_t> rgb = mesh_render(m, width, height, error, from_back);
  if (rgb.empty()) return false;
  if (write_rgb_png(path, width, height, rgb.data(), error)) return true;
  if (error) *error = "cannot write " + *error;
  return false;
}
