// The viewer's readers against ImageMagick: every file of the corpus (made by
// make_corpus.sh with ImageMagick and giflib's gifbuild, plus files our own writers add
// here: 16-bit and row-crossing run-length TGA, RLE4, top-down and 32-bit BMP) is loaded
// as the viewer loads it and drawn as the viewer paints it; ImageMagick decodes the same
// file; the two pictures must agree, up to the documented differences named in the
// manifest (GIF colours keep their upper six bits, interlaced rows stay in stored order,
// only the first image of an animation is shown, 16-bit TGA components keep their five
// bits).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/ui_recorder.h"
#include "viewer/image.h"
#include "viewer/render.h"
#include "viewer/testing/image_files.h"

namespace {

std::string CorpusDir() {
  const char* b = std::getenv("ZEL_BUILD_DIR");
  return std::string(b ? b : ".") + "/viewer-corpus";
}

bool Has(const std::string& notes, const char* note) { return ("," + notes + ",").find("," + std::string(note) + ",") != std::string::npos; }

// ImageMagick's picture of the file (first image, upright) as 8-bit RGB.
bool MagickPicture(const std::string& path, RgbPicture& out) {
  std::string command = "convert '" + path + "[0]' -auto-orient -depth 8 ppm:- 2>/dev/null";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return false;
  int maxval = 0;
  bool ok = std::fscanf(p, "P6 %d %d %d", &out.width, &out.height, &maxval) == 3 && maxval == 255 && std::fgetc(p) != EOF;
  if (ok) {
    out.rgb.resize(size_t(out.width) * size_t(out.height) * 3);
    ok = std::fread(out.rgb.data(), 1, out.rgb.size(), p) == out.rgb.size();
  }
  return pclose(p) == 0 && ok;
}

// Display row of each stored row of an interlaced image.
std::vector<int> InterlacedRows(int height) {
  std::vector<int> rows;
  const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
  return rows;
}

struct CorpusFile {
  std::string name;
  std::string notes;
};

// Files our own writers add to the corpus.
std::vector<CorpusFile> WriteOwnFiles(const std::string& dir) {
  std::vector<CorpusFile> files;
  auto add = [&](const char* name, const Bytes& bytes, const char* notes) {
    WriteBytes(dir + "/" + name, bytes);
    files.push_back({name, notes});
  };
  TgaPlan tga;
  tga.width = 11;
  tga.height = 9;
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 11; ++x) tga.pixels.push_back(Rgb{uint8_t(x * 23), uint8_t(y * 28), uint8_t((x ^ y) * 16)});
  tga.depth = 16;
  tga.descriptor = 0x20;
  add("o-16.tga", MakeTga(tga), "tga16");
  tga.type = 10;
  tga.descriptor = 0;
  add("o-16-rle.tga", MakeTga(tga), "tga16");
  // Long runs of one colour that run over row ends.
  tga.depth = 24;
  tga.runs_only = true;
  for (size_t i = 0; i < tga.pixels.size(); ++i) tga.pixels[i] = i / 15 % 2 ? Rgb{250, 10, 10} : Rgb{10, 10, 250};
  add("o-24-rows.tga", MakeTga(tga), "-");

  BmpPlan bmp;
  bmp.width = 7;
  bmp.height = 3;
  bmp.bits = 4;
  bmp.compression = 2;
  bmp.table = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  bmp.clr_used = 4;
  // Bottom row: a run of 5 alternating 1 2, a run of 2 of 3; end of line. Middle row: a
  // run of 7 of 3; end of line. Top row: absolute 1 2 3 (two bytes, a whole word), a delta
  // of (2, 0), a run of 2 of 1; end of bitmap.
  bmp.bits_data = {5, 0x12, 2, 0x33, 0, 0, 7, 0x33, 0, 0, 0, 3, 0x12, 0x30, 0, 2, 2, 0, 2, 0x11, 0, 1};
  add("o-rle4.bmp", MakeBmp(bmp), "-");
  bmp = BmpPlan{};
  bmp.width = 3;
  bmp.height = 2;
  bmp.bits = 32;
  bmp.bits_data = {1, 2, 3, 0, 40, 50, 60, 0, 200, 100, 0, 0, 9, 9, 9, 0, 0, 0, 255, 0, 255, 255, 255, 0};
  add("o-32.bmp", MakeBmp(bmp), "-");

  // ImageMagick's 8-bit BMP turned top-down: rows reversed, height negated.
  std::ifstream in(dir + "/b-8.bmp", std::ios::binary);
  Bytes b8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (b8.size() > 54) {
    uint32_t offset = get_le32(&b8[10]);
    int32_t width = int32_t(get_le32(&b8[18])), height = int32_t(get_le32(&b8[22]));
    size_t row = (size_t(width) * 8 + 31) / 32 * 4;
    Bytes flipped(b8.begin(), b8.begin() + offset);
    for (int32_t r = height; r-- > 0;)
      flipped.insert(flipped.end(), b8.begin() + long(offset + size_t(r) * row), b8.begin() + long(offset + size_t(r + 1) * row));
    put_le32(&flipped[22], uint32_t(-height));
    add("o-topdown.bmp", flipped, "-");
  }
  return files;
}

TEST(ViewerCorpus, PicturesAgreeWithImageMagick) {
  const std::string dir = CorpusDir();
  std::vector<CorpusFile> files;
  std::ifstream manifest(dir + "/manifest.txt");
  for (CorpusFile f; manifest >> f.name >> f.notes;) files.push_back(f);
  ASSERT_GE(files.size(), 30u) << "corpus missing: run make_corpus.sh " << dir;
  for (const CorpusFile& f : WriteOwnFiles(dir)) files.push_back(f);

  for (const CorpusFile& f : files) {
    SCOPED_TRACE(f.name + " (" + f.notes + ")");
    std::string path = dir + "/" + f.name;
    std::string upper = path, name = path;  // the kind is picked from the upper-cased copy
    UiRecorder ui;
    LoadedImage image;
    bool loaded = LoadImageOfKind(ImageKindOf(upper.data()), name.data(), image, ui.table());
    if (Has(f.notes, "reject")) {
      EXPECT_FALSE(loaded);
      EXPECT_EQ(ui.boxes.size(), 1u);
      continue;
    }
    ASSERT_TRUE(loaded) << (ui.boxes.empty() ? "" : ui.boxes[0].text);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_LE(ImagePaintBytes(image), image.pixel_size);
    RgbPicture ours, theirs;
    ASSERT_TRUE(RenderImage(image, ours));
    EXPECT_EQ(ImageExtentOf(image).height, ours.height);  // top-down ones too
    ReleaseImage(image);
    ASSERT_TRUE(MagickPicture(path, theirs));
    ASSERT_EQ(ours.width, theirs.width);
    ASSERT_EQ(ours.height, theirs.height);

    std::vector<int> display_row(size_t(ours.height));
    for (int y = 0; y < ours.height; ++y) display_row[size_t(y)] = y;
    if (Has(f.notes, "interlaced")) display_row = InterlacedRows(ours.height);
    uint8_t mask = Has(f.notes, "gif6") ? 0xFC : Has(f.notes, "tga16") ? 0xF8 : 0xFF;
    int tolerance = Has(f.notes, "near1") ? 1 : 0;
    long mismatches = 0;
    std::string first;
    for (int y = 0; y < ours.height; ++y)
      for (int x = 0; x < ours.width; ++x)
        for (int c = 0; c < 3; ++c) {
          int a = ours.rgb[(size_t(y) * size_t(ours.width) + size_t(x)) * 3 + size_t(c)];
          int b = theirs.rgb[(size_t(display_row[size_t(y)]) * size_t(ours.width) + size_t(x)) * 3 + size_t(c)] & mask;
          if (std::abs(a - b) > tolerance && mismatches++ == 0)
            first = "at " + std::to_string(x) + "," + std::to_string(y) + " channel " + std::to_string(c) + ": " +
                    std::to_string(a) + " vs " + std::to_string(b);
        }
    EXPECT_EQ(mismatches, 0) << "first " << first;
  }
}

}  // namespace
