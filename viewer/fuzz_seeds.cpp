// Writes the seed files of the viewer's fuzz targets: small files of each kind made by the
// tests' own writers, into DIR/gif, DIR/tga, DIR/cel and DIR/bmp.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "common/bytes.h"
#include "viewer/testing/image_files.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  std::string dir = argv[1];
  mkdir(dir.c_str(), 0755);
  for (const char* kind : {"gif", "tga", "cel", "bmp"}) mkdir((dir + "/" + kind).c_str(), 0755);
  bool ok = true;
  auto put = [&](const std::string& name, const Bytes& bytes) { ok = WriteBytes(dir + "/" + name, bytes) && ok; };

  std::vector<uint8_t> ramp;
  for (int i = 0; i < 48; ++i) ramp.push_back(uint8_t(i * 7 % 4));
  GifPlan gif;
  gif.width = 8;
  gif.height = 6;
  gif.palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  gif.indices = ramp;
  put("gif/plain.gif", MakeGif(gif));
  gif.local_table = gif.palette;
  gif.comment = true;
  gif.interlaced_flag = true;
  gif.sub_block = 7;
  put("gif/local-table.gif", MakeGif(gif));
  // Real LZW strings: clear, 0, 6, 1, 7, end at minimum code size 2.
  GifPlan strings;
  strings.width = 7;
  strings.raster = PackCodes({{4, 3}, {0, 3}, {6, 3}, {1, 3}, {7, 4}, {5, 4}});
  put("gif/strings.gif", MakeGif(strings));

  std::vector<Rgb> px;
  for (int i = 0; i < 24; ++i) px.push_back(Rgb{uint8_t(i * 10), uint8_t(i < 12 ? 5 : 200), 7});
  for (int type : {2, 10})
    for (int depth : {16, 24, 32}) {
      TgaPlan tga;
      tga.type = type;
      tga.depth = depth;
      tga.descriptor = depth == 24 ? 0x20 : 0;
      tga.width = 6;
      tga.height = 4;
      tga.pixels = px;
      if (type == 10) tga.pixels.assign(24, Rgb{9, 9, 9});
      tga.id_length = depth == 16 ? 3 : 0;
      put("tga/t" + std::to_string(type) + "-" + std::to_string(depth) + ".tga", MakeTga(tga));
    }

  CelPlan cel;
  cel.width = 5;
  cel.height = 3;
  cel.palette = {{63, 0, 0}, {0, 63, 0}};
  cel.indices = std::vector<uint8_t>(ramp.begin(), ramp.begin() + 15);
  put("cel/plain.cel", MakePlainCel(cel));
  FlcChunk colour{4, FlcColourBody({{0, {{1, 2, 3}}}})};
  colour.pad_to_even = true;
  put("cel/flc.cel", MakeFlcCel(4, 2, {colour, {11, FlcColourBody({{2, {{63, 63, 63}}}})},
                                       {15, FlcByteRunBody({{2, 1, -2, 3, 4}, {4, 0}})}}));
  put("cel/flc-copy.cel", MakeFlcCel(3, 2, {{16, {1, 2, 3, 4, 5, 6}}}));

  BmpPlan bmp;
  bmp.width = 3;
  bmp.height = 2;
  bmp.bits = 8;
  bmp.table = {{255, 0, 0}, {0, 0, 255}};
  bmp.clr_used = 2;
  bmp.bits_data = DibRows({{0, 1, 0}, {1, 1, 0}});
  put("bmp/8bit.bmp", MakeBmp(bmp));
  bmp.header_size = 124;
  put("bmp/v5.bmp", MakeBmp(bmp));
  bmp.header_size = 40;
  bmp.compression = 1;
  bmp.bits_data = {3, 1, 0, 0, 0, 3, 0, 1, 1, 0, 0, 1};
  put("bmp/rle8.bmp", MakeBmp(bmp));
  bmp.bits = 4;
  bmp.compression = 2;
  bmp.bits_data = {1, 0x10, 0, 2, 1, 1, 1, 0x10, 0, 1};
  put("bmp/rle4.bmp", MakeBmp(bmp));
  BmpPlan fields;
  fields.width = 2;
  fields.height = -2;
  fields.bits = 16;
  fields.compression = 3;
  fields.masks[0] = 0xF800, fields.masks[1] = 0x07E0, fields.masks[2] = 0x001F;
  fields.bits_data = Bytes(8, 0x5A);
  put("bmp/fields.bmp", MakeBmp(fields));
  BmpPlan core;
  core.header_size = 12;
  core.width = 4;
  core.height = 1;
  core.bits = 1;
  core.table = {{0, 0, 0}, {255, 255, 255}};
  core.bits_data = {0xA0, 0, 0, 0};
  put("bmp/core.bmp", MakeBmp(core));
  return ok ? 0 : 1;
}
