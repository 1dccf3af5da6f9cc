#include "textbuilder/preview.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/message_box.h"
#include "textbuilder/font_reader.h"

namespace {

SegmentList g_preview;

// Drawing positions come from settings the host may have filled with anything: a value
// too large (or not a number, as at a bevel angle of 0) is held to a span far wider than
// any control before it is truncated, so the pixel arithmetic stays defined.
constexpr double kPixelLimit = 1 << 24;

int32_t trunc_pixels(double v) {
  if (!(v == v)) return 0;
  return int32_t(std::max(-kPixelLimit, std::min(kPixelLimit, v)));
}

void show(const UiTable& ui, const char* text) { ui_message(ui, text, "QEL", mb::Ok); }

// The font's first line for the status line; false when the font does not open.
bool status_line(const char* font_path, std::string* line) {
  if (!font_open(font_path)) return false;
  read_font_line();
  const char* text = font_line();
  size_t n = 0;
  while (n < size_t(kPreviewStatusMax) && text[n] && text[n] != '\r' && text[n] != '\n') ++n;
  line->assign(text, n);
  font_close();
  return true;
}

}  // namespace

SegmentList& preview_segments() { return g_preview; }

void release_preview() {
  g_preview.segments = std::vector<OutlineSegment>();
  g_preview.run = 0;
}

void normalise_preview(SegmentList* list) {
  if (list->segments.empty()) return;
  int64_t min_x = INT64_MAX, min_y = INT64_MAX, max_x = INT64_MIN, max_y = INT64_MIN;
  for (OutlineSegment& s : list->segments) {
    min_x = std::min({min_x, int64_t(s.x0), int64_t(s.x1)});
    min_y = std::min({min_y, int64_t(s.y0), int64_t(s.y1)});
    max_x = std::max({max_x, int64_t(s.x0), int64_t(s.x1)});
    max_y = std::max({max_y, int64_t(s.y0), int64_t(s.y1)});
    const double dx = double(s.x1) - double(s.x0);
    const double dy = double(s.y1) - double(s.y0);
    const double length = std::sqrt(dx * dx + dy * dy);
    const double k = length > 0 ? 1.0 / length : 0.0;
    s.nx = float(-(k * dy));
    s.ny = float(k * dx);
  }
  const int64_t span = std::max(max_x - min_x, max_y - min_y);
  const double scale = span > 0 ? double(kPreviewBox) / double(span) : 1.0;
  for (OutlineSegment& s : list->segments) {
    s.x0 = int32_t(double(s.x0 - min_x) * scale);
    s.y0 = int32_t(double(s.y0 - min_y) * scale);
    s.x1 = int32_t(double(s.x1 - min_x) * scale);
    s.y1 = int32_t(double(s.y1 - min_y) * scale);
  }
}

void refresh_preview(const TextBuildSettings& settings, const UiTable& ui) {
  release_preview();
  font_reader_clear();
  std::string line;
  if (status_line(settings.font_path, &line)) ui_progress(ui, line.c_str());
  if (settings.preview_char >= 0) {
    const ScanResult result = load_glyph_program(settings.preview_char, settings.font_path);
    if (result == ScanDone) {
      begin_preview(&g_preview, &loaded_subrs());
      run_preview_program(loaded_glyph());
    } else if (const char* message = scan_result_message(result)) {
      show(ui, message);
    }
  }
  font_reader_clear();
  normalise_preview(&g_preview);
}

namespace {

// The part of an item rectangle both drawings share.
struct ItemBox {
  int32_t height;  // H: the item's inner height
  int32_t area;    // A: H less the 10-pixel frame margin
};

ItemBox item_box(int32_t top, int32_t bottom) {
  const int32_t h = bottom - top - 2;
  return ItemBox{h, h - 10};
}

}  // namespace

void draw_shape_preview(const PreviewCanvas& canvas, const TextBuildSettings& settings, const SegmentList& list,
                        int32_t left, int32_t top, int32_t right, int32_t bottom) {
  const ItemBox box = item_box(top, bottom);
  const int32_t ox = left + 1, oy = bottom - 1;
  const double s = box.area / 1000.0;
  canvas.rectangle(canvas.context, left, top, right, bottom);
  canvas.red_pen(canvas.context, true);
  auto at = [&](double x, double y) { return PreviewPoint{ox + trunc_pixels(x * s), oy - trunc_pixels(y * s)}; };
  for (const OutlineSegment& g : list.segments) {
    const PreviewPoint line[2] = {at(g.x0, g.y0), at(g.x1, g.y1)};
    canvas.polyline(canvas.context, line, 2);
  }
  if (settings.bevel_depth > 0 && (settings.bevel_front || settings.bevel_back)) {
    const double d = double(settings.bevel_depth) * kPreviewBox / 4000.0;
    for (const OutlineSegment& g : list.segments) {
      const double ex = g.nx * d, ey = g.ny * d;
      const PreviewPoint copy[4] = {at(g.x0, g.y0), at(g.x0 + ex, g.y0 + ey), at(g.x1 + ex, g.y1 + ey),
                                    at(g.x1, g.y1)};
      canvas.polyline(canvas.context, copy, 4);
    }
  }
  canvas.red_pen(canvas.context, false);
}

void draw_profile_preview(const PreviewCanvas& canvas, const TextBuildSettings& settings, int32_t left,
                          int32_t top, int32_t right, int32_t bottom) {
  const ItemBox box = item_box(top, bottom);
  const int32_t w = trunc_pixels(double(settings.extrusion_width) * box.area / 100.0);
  const int32_t l = left + 1, r = right - 1, t = top + 1, b = bottom - 1;
  const int32_t xs = l + (box.height - w) / 2;
  const int32_t xe = l + (box.height + w) / 2 + 1;
  canvas.rectangle(canvas.context, left, top, right, bottom);
  canvas.red_pen(canvas.context, true);
  canvas.rectangle(canvas.context, xs, t + 5, xe, b - 5);
  if (settings.bevel_depth > 0) {
    const double dd = double(settings.bevel_depth) * box.area / 4000.0;
    const int32_t dx = trunc_pixels(dd / std::tan(settings.bevel_angle / 180.0 * kPreviewPi));
    const int32_t up = t + 5 + trunc_pixels(dd), down = b - 5 - trunc_pixels(dd);
    if (settings.bevel_front) {
      const int32_t x = int32_t(std::min<int64_t>(int64_t(xe) + dx, r));
      const PreviewPoint front[4] = {{xe, t + 5}, {x, up}, {x, down}, {xe, b - 5}};
      canvas.polyline(canvas.context, front, 4);
    }
    if (settings.bevel_back) {
      const int32_t x = int32_t(std::max<int64_t>(int64_t(xs) - dx, l));
      const PreviewPoint back[4] = {{xs, t + 5}, {x, up}, {x, down}, {xs, b - 5}};
      canvas.polyline(canvas.context, back, 4);
    }
  }
  canvas.red_pen(canvas.context, false);
}
