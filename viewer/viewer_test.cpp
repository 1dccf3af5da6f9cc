// The viewer's readers on small files made by hand: each group is a table of files and
// what loading them must give (held picture, boxes shown, header fields).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "animation/frameset/testing/temp_dir.h"
#include "common/bytes.h"
#include "common/message_box.h"
#include "common/ui_recorder.h"
#include "viewer/image.h"
#include "viewer/render.h"
#include "viewer/testing/image_files.h"

namespace {

using Rows = std::vector<Bytes>;

constexpr uint32_t kWarning = mb::Ok | mb::IconExclamation;

// What a load must show: no box (text null), a formatted "'NAME' ..." box (text starting
// with " is NOT"), or a box with this exact text and caption ("" is the default caption).
struct ExpectedBox {
  const char* text = nullptr;
  const char* caption = "";
};

class ViewerLoad : public ::testing::Test {
 protected:
  TempDir dir{"viewer_test"};
  LoadedImage image;
  UiRecorder ui;
  std::string path;

  ~ViewerLoad() override { ReleaseImage(image); }

  // Loads `name` in the test folder, written first unless `bytes` is null.
  bool Load(ImageKind kind, const Bytes* bytes, const std::string& name) {
    path = dir / name;
    if (bytes) {
      EXPECT_TRUE(WriteBytes(path, *bytes));
    }
    std::string buffer = path;
    ui.boxes.clear();
    return LoadImageOfKind(kind, buffer.data(), image, ui.table());
  }
  bool Load(ImageKind kind, const Bytes& bytes, const std::string& name) { return Load(kind, &bytes, name); }

  // One table case from an empty record: the answer and the box; a refused file leaves
  // nothing held. True when the picture is there to check.
  bool LoadCase(ImageKind kind, const Bytes& bytes, const char* name, bool ok, const ExpectedBox& box) {
    ReleaseImage(image);
    bool loaded = Load(kind, bytes, name);
    EXPECT_EQ(loaded, ok);
    ExpectBox(box);
    if (!loaded) {
      EXPECT_EQ(image.header, nullptr);
      EXPECT_EQ(image.pixels, nullptr);
    }
    return loaded && ok;
  }

  void ExpectBox(const ExpectedBox& box) {
    if (!box.text) {
      EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
      return;
    }
    ASSERT_EQ(ui.boxes.size(), 1u);
    std::string text = box.text;
    if (text.rfind(" is NOT", 0) == 0) text = "'" + path + "'" + text;
    EXPECT_EQ(ui.boxes[0].text, text);
    EXPECT_EQ(ui.boxes[0].caption, box.caption);
    EXPECT_EQ(ui.boxes[0].flags, kWarning);
  }

  // Picture row y (0 = top) of the pixel block, the whole stride.
  Bytes RowFromTop(int y, int bytes_per_pixel) const {
    size_t row = size_t(image.stride) * size_t(bytes_per_pixel);
    const uint8_t* p = image.pixels + size_t(image.height - 1 - y) * row;
    return Bytes(p, p + row);
  }

  // The held picture against top-first rows of the declared width; the stride's extra
  // columns must be zero.
  void ExpectRows(const Rows& rows, int bytes_per_pixel) {
    ASSERT_EQ(size_t(image.height), rows.size());
    for (int y = 0; y < image.height; ++y) {
      Bytes got = RowFromTop(y, bytes_per_pixel);
      Bytes want = rows[size_t(y)];
      want.resize(got.size(), 0);
      EXPECT_EQ(got, want) << "row " << y;
    }
  }
};

// ---------------------------------------------------------------- kinds and palette rule

Bytes RgbOf(const ImagePalette& p, int i) { return {p.entries[i].red, p.entries[i].green, p.entries[i].blue}; }

TEST(ImageKindOfTest, UpperCasesAndPicksByFirstMatchingSuffix) {
  struct Case {
    const char* name;
    const char* upper;
    ImageKind kind;
  } cases[] = {
      // Plain .gif, .tga and .bmp names pick the kind of every corpus file.
      {"car.cel", "CAR.CEL", kImageCel},       {"car.rle", "CAR.RLE", kImageBmp},
      {"pic.dib", "PIC.DIB", kImageBmp},       {"a.bmp.gif", "A.BMP.GIF", kImageGif},
      {"a.gif.bmp", "A.GIF.BMP", kImageGif},   {"a.tga.cel", "A.TGA.CEL", kImageCel},
      {"a.cel.gif", "A.CEL.GIF", kImageGif},   {"noext", "NOEXT", kImageBmp},
      {"dir.gif/x.tga", "DIR.GIF/X.TGA", kImageGif},
  };
  for (const Case& c : cases) {
    std::vector<char> name(c.name, c.name + std::strlen(c.name) + 1);
    EXPECT_EQ(ImageKindOf(name.data()), c.kind) << c.name;
    EXPECT_STREQ(name.data(), c.upper);
  }
}

// ---------------------------------------------------------------- GIF

Bytes Ramp(int n, int modulo) {
  Bytes b;
  for (int i = 0; i < n; ++i) b.push_back(uint8_t(i % modulo));
  return b;
}

Rows Split(const Bytes& indices, int width) {
  Rows rows;
  for (size_t at = 0; at < indices.size(); at += size_t(width))
    rows.emplace_back(indices.begin() + long(at), indices.begin() + long(at + size_t(width)));
  return rows;
}

// A GIF of the given raster over a four-colour table, `change` applied last.
GifPlan Gif(int w, int h, Bytes indices, const std::function<void(GifPlan&)>& change = nullptr) {
  GifPlan s;
  s.width = w;
  s.height = h;
  s.palette = {{0xFF, 0x83, 0x01}, {10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
  s.indices = std::move(indices);
  if (change) change(s);
  return s;
}

struct GifCase {
  const char* what;
  GifPlan plan;
  bool ok;
  ExpectedBox box;
  Rows rows;  // expected top-first rows (declared width); empty: the decoded ramp
};

// Pictures ImageMagick also decodes (sizes, interlace, comments, animations, local
// tables) are left to the corpus comparison; these are the files it cannot make.
std::vector<GifCase> GifCases() {
  std::vector<GifCase> cases;
  auto add = [&](const char* what, GifPlan s, bool ok, ExpectedBox box = {}, Rows rows = {}) {
    cases.push_back({what, std::move(s), ok, box, std::move(rows)});
  };
  const ExpectedBox invalid{" is NOT a valid GIF file"};
  add("signature with a letter for a digit", Gif(13, 7, Ramp(91, 4), [](GifPlan& s) { s.signature = "GIF8xa"; }),
      false, invalid);
  add("signature ending past 'z'", Gif(13, 7, Ramp(91, 4), [](GifPlan& s) { s.signature = "GIF89{"; }), false, invalid);
  add("no global colour table", Gif(4, 2, Ramp(8, 4), [](GifPlan& s) { s.global_table = false; }), false, invalid);
  add("1025 high", Gif(1, 1025, Ramp(1025, 4)), false, invalid);
  add("width 0 ends the read", Gif(0, 2, {}), false, invalid);
  for (int size : {1, 10})
    add("minimum code size out of range: all zero", Gif(4, 2, Ramp(8, 4), [&](GifPlan& s) { s.min_code_size = size; }),
        true, {}, Rows(2, Bytes(4, 0)));
  add("one-byte sub-blocks", Gif(5, 3, Ramp(15, 4), [](GifPlan& s) { s.sub_block = 1; }), true);
  // 4 x 4, 3-bit codes, a clear before every two literals: 9 bits per two pixels. Four
  // bytes hold three pairs and a clear: row 0 is whole, row 1 half decoded and lost.
  add("raster cut after 4 bytes", Gif(4, 4, Ramp(16, 4), [](GifPlan& s) { s.cut_raster_at = 4; }), true, {},
      {{0, 1, 2, 3}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}});
  // Two-byte sub-blocks hold 16 bits: one pair (9 bits), a clear and one literal. A
  // zero-length block then ends the raster: only row 0 (2 pixels) is delivered.
  add("zero-length sub-block ends the raster",
      Gif(2, 3, Ramp(6, 4), [](GifPlan& s) { s.sub_block = 2, s.zero_block_after_first = true; }), true, {},
      {{0, 1}, {0, 0}, {0, 0}});
  add("rows beyond the height are dropped", Gif(3, 2, Ramp(12, 4)), true, {}, {{0, 1, 2}, {3, 0, 1}});
  return cases;
}

TEST_F(ViewerLoad, GifFilesGiveTheirPictureOrTheirBox) {
  for (const GifCase& c : GifCases()) {
    SCOPED_TRACE(c.what);
    if (!LoadCase(kImageGif, MakeGif(c.plan), "pic.gif", c.ok, c.box)) continue;
    EXPECT_EQ(image.width, c.plan.width);
    EXPECT_EQ(ImageHeaderWidth(image), image.stride);
    EXPECT_EQ(ImageBitCount(image), 8);
    EXPECT_EQ(image.header_size, 1064u);
    ExpectRows(c.rows.empty() ? Split(c.plan.indices, c.plan.width) : c.rows, 1);
  }
}

// The colour table's upper six bits (checked against ImageMagick by the corpus) reach the
// palette as they stand.
TEST_F(ViewerLoad, GifPaletteKeepsTheUpperSixBits) {
  ASSERT_TRUE(Load(kImageGif, MakeGif(Gif(2, 1, {0, 1})), "pic.gif"));
  ImagePalette p = BuildImagePalette(image);
  EXPECT_EQ(p.count, 256);
  EXPECT_EQ(RgbOf(p, 0), (Bytes{0xFC, 0x80, 0x00}));
}

// LZW code sequences worked by hand (minimum code size 2: clear 4, end 5, first free 6).
TEST_F(ViewerLoad, GifLzwCodesWorkedByHand) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> codes;  // (code, width)
    Bytes row;
  } cases[] = {
      // clear, 0, 6 (the string being defined: 0 0), 1 -> width 4 from here, 7 (= 0 0 1), end.
      {"strings and width growth", {{4, 3}, {0, 3}, {6, 3}, {1, 3}, {7, 4}, {5, 4}}, {0, 0, 0, 1, 0, 0, 1}},
      // clear, 0, 7 (beyond the next free slot: the old string and its first pixel, 0 0),
      // clear (the table is sound again), 1, 6 (1 1), end.
      {"a bad code, then a clear", {{4, 3}, {0, 3}, {7, 3}, {4, 3}, {1, 3}, {6, 3}, {5, 3}}, {0, 0, 0, 1, 1, 1}},
      // clear, 0, 7 (beyond the slot: entry 6, old code 7), 7 (being defined: entry 7
      // becomes its own prefix), 7 again: the walk through it must end; the raster is
      // abandoned and its unfinished row not shown.
      {"a prefix loop", {{4, 3}, {0, 3}, {7, 3}, {7, 3}, {7, 4}, {5, 4}}, Bytes(16, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ReleaseImage(image);
    const Bytes file = MakeGif(Gif(int(c.row.size()), 1, {}, [&](GifPlan& s) { s.raster = PackCodes(c.codes); }));
    ASSERT_TRUE(Load(kImageGif, file, "pic.gif"));
    ExpectRows({c.row}, 1);
  }
}

// Every load starts from cleared colour tables and decoder state, and a file without an
// image never shows the size of the one before.
TEST_F(ViewerLoad, GifLoadsKeepNothingOfEarlierLoads) {
  GifPlan small = Gif(3, 3, Ramp(9, 2));
  small.palette = {{8, 8, 8}, {16, 16, 16}};
  GifPlan rich = Gif(8, 8, Ramp(64, 200));
  rich.palette.assign(256, Rgb{255, 255, 255});
  rich.min_code_size = 8;
  ASSERT_TRUE(Load(kImageGif, MakeGif(small), "small.gif"));
  Bytes header(image.header, image.header + image.header_size);
  Bytes pixels(image.pixels, image.pixels + image.pixel_size);
  ASSERT_TRUE(Load(kImageGif, MakeGif(rich), "rich.gif"));
  ASSERT_TRUE(Load(kImageGif, MakeGif(small), "small.gif"));
  EXPECT_EQ(Bytes(image.header, image.header + image.header_size), header);
  EXPECT_EQ(Bytes(image.pixels, image.pixels + image.pixel_size), pixels);
  EXPECT_EQ(image.colour_table[4 * 2 + 2], 0);  // entry 2 is not the rich file's white

  Bytes none = MakeGif(Gif(4, 2, {}));
  none.resize(13 + 4 * 3);  // header and global table only, then the trailer
  none.push_back(0x3B);
  EXPECT_FALSE(Load(kImageGif, none, "none.gif"));
  ExpectBox({" is NOT a valid GIF file"});
  EXPECT_EQ(image.width, 0);
  EXPECT_EQ(image.header, nullptr);
}

TEST_F(ViewerLoad, LongNameIsCutToFitTheWarningBuffer) {
  std::string name(200, 'n');
  GifPlan s = Gif(1, 1, {0});
  s.global_table = false;
  EXPECT_FALSE(Load(kImageGif, MakeGif(s), name));
  ASSERT_EQ(ui.boxes.size(), 1u);
  const std::string& text = ui.boxes[0].text;
  const std::string suffix = "' is NOT a valid GIF file";
  EXPECT_EQ(text.size(), kWarningBufferSize - 1);
  EXPECT_EQ(text.substr(0, 4), "'...");
  EXPECT_EQ(text.substr(text.size() - suffix.size()), suffix);
  EXPECT_EQ(text[text.size() - suffix.size() - 1], 'n');  // the name's last character
}

// ---------------------------------------------------------------- TGA

const Rgb kRed{200, 10, 20}, kGreen{5, 180, 6}, kBlue{1, 2, 250}, kWhite{255, 255, 255};

Bytes Bgr(std::initializer_list<Rgb> colours) {
  Bytes b;
  for (const Rgb& c : colours) b.insert(b.end(), {c.b, c.g, c.r});
  return b;
}

TgaPlan Tga(int type, int depth, int descriptor, int w, int h, std::vector<Rgb> px,
            const std::function<void(TgaPlan&)>& change = nullptr) {
  TgaPlan s;
  s.type = type;
  s.depth = depth;
  s.descriptor = descriptor;
  s.width = w;
  s.height = h;
  s.pixels = std::move(px);
  if (change) change(s);
  return s;
}

struct TgaCase {
  const char* what;
  TgaPlan plan;
  bool ok;
  ExpectedBox box;
  Rows rows = {};  // top-first, blue green red
};

// Both origins, run-length packets, 16 and 32 bits are compared with ImageMagick by the
// corpus; these are the files it does not make.
std::vector<TgaCase> TgaCases() {
  const std::vector<Rgb> top_first = {kRed, kGreen, kBlue, kBlue, kBlue, kWhite};  // 3 x 2
  const ExpectedBox invalid{" is NOT a valid TGA file type"}, error{"Error reading TGA file"};
  return {
      {"image ID and colour map passed over",
       Tga(2, 24, 0x20, 3, 2, top_first, [](TgaPlan& s) { s.id_length = 7, s.map_length = 5, s.map_entry_bits = 15; }),
       true, {}, {Bgr({kRed, kGreen, kBlue}), Bgr({kBlue, kBlue, kWhite})}},
      {"a run past the last pixel is cut",
       Tga(10, 24, 0x20, 2, 2, std::vector<Rgb>(7, kGreen), [](TgaPlan& s) { s.runs_only = true; }), true, {},
       {Bgr({kGreen, kGreen}), Bgr({kGreen, kGreen})}},
      // A colour-mapped file is refused in the corpus and by zel view; a grey one here.
      {"type 3 is not valid", Tga(3, 24, 0, 1, 1, {kRed}), false, invalid},
      {"width 0 is not valid", Tga(2, 24, 0, 0, 1, {}), false, invalid},
      {"interleaved rows", Tga(2, 24, 0x40, 1, 1, {kRed}), false, error},
      {"file ends in the pixels", Tga(2, 24, 0x20, 3, 2, top_first, [](TgaPlan& s) { s.cut_at = 18 + 3 * 4; }), false,
       error},
      {"file ends in a packet", Tga(10, 24, 0x20, 3, 2, top_first, [](TgaPlan& s) { s.cut_at = 18 + 5; }), false, error},
      {"file ends in the header", Tga(10, 24, 0x20, 3, 2, top_first, [](TgaPlan& s) { s.cut_at = 17; }), false, invalid},
  };
}

TEST_F(ViewerLoad, TgaFilesGiveTheirPictureOrTheirBox) {
  for (const TgaCase& c : TgaCases()) {
    SCOPED_TRACE(c.what);
    if (!LoadCase(kImageTga, MakeTga(c.plan), "pic.tga", c.ok, c.box)) continue;
    EXPECT_EQ(ImageBitCount(image), 24);
    EXPECT_EQ(image.header_size, 40u);
    ExpectRows(c.rows, 3);
  }
}

TEST_F(ViewerLoad, InvalidTgaKeepsTheHeldImage) {
  ASSERT_TRUE(Load(kImageTga, MakeTga(Tga(2, 24, 0x20, 1, 1, {kRed})), "a.tga"));
  uint8_t* held = image.pixels;
  EXPECT_FALSE(Load(kImageTga, MakeTga(Tga(3, 24, 0, 1, 1, {kRed})), "b.tga"));
  EXPECT_EQ(image.pixels, held);
  EXPECT_EQ(RowFromTop(0, 3)[2], kRed.r);
}

TEST_F(ViewerLoad, TrueColourImageGetsTheFixedPalette) {
  ASSERT_TRUE(Load(kImageTga, MakeTga(Tga(2, 24, 0, 1, 1, {kRed})), "a.tga"));
  ImagePalette p = BuildImagePalette(image);
  ASSERT_EQ(p.count, 256);
  const std::pair<int, Bytes> entries[] = {
      {0, {0, 0, 0}}, {1, {32, 0, 0}}, {9, {32, 32, 0}}, {64, {0, 0, 64}}, {255, {224, 224, 192}}};
  for (const auto& [i, rgb] : entries) EXPECT_EQ(RgbOf(p, i), rgb) << i;
}

TEST_F(ViewerLoad, HugeTgaIsOutOfMemoryBeforeAllocating) {
  EXPECT_FALSE(Load(kImageTga, MakeTga(Tga(2, 24, 0, 65535, 65535, {})), "huge.tga"));
  ExpectBox({"Out of memory"});
}

// ---------------------------------------------------------------- CEL

std::vector<Rgb> Grey(int n, int scale) {
  std::vector<Rgb> c;
  for (int i = 0; i < n; ++i) c.push_back(Rgb{uint8_t(i * scale), uint8_t(i * scale), uint8_t(i * scale)});
  return c;
}

struct CelCase {
  const char* what;
  Bytes file;
  bool ok;
  ExpectedBox box;
  Rows rows = {};                                 // top-first indices
  std::vector<std::pair<int, Rgb>> colours = {};  // colour table entries to check (index, r g b)
};

std::vector<CelCase> CelCases() {
  const ExpectedBox invalid{" is NOT a valid CEL file"}, error{"Error reading CEL file", "Viewer"};
  CelPlan plain;
  plain.width = 3;
  plain.height = 2;
  plain.palette = {{63, 0, 1}, {2, 3, 4}};
  plain.indices = {0, 1, 0, 1, 1, 0};
  CelPlan negative = plain;
  negative.width = -3;
  Bytes plain_cut = MakePlainCel(plain);
  plain_cut.pop_back();
  Bytes other_frame = MakeFlcCel(2, 1, {{16, {1, 2}}});
  put_le16(other_frame.data() + 128 + 4, 0xF100);
  Bytes flc_cut = MakeFlcCel(2, 1, {{4, FlcColourBody({{0, {{1, 1, 1}}}})}, {16, {1, 2}}});
  flc_cut.pop_back();
  // A 7-byte colour body padded to 8: the copy chunk stands one byte further on.
  const FlcChunk odd{4, FlcColourBody({{0, {{9, 9, 9}}}}), 0, true};
  return {
      {"plain layout, 63 becomes 252", MakePlainCel(plain), true, {}, {{0, 1, 0}, {1, 1, 0}},
       {{0, {252, 0, 4}}, {1, {8, 12, 16}}}},
      {"negative width", MakePlainCel(negative), false, invalid},
      {"plain pixels cut short", plain_cut, false, error},
      {"FLC layout, one 256-level packet of count 0",
       MakeFlcCel(2, 1, {{4, FlcColourBody({{0, Grey(256, 1)}})}, {16, {7, 200}}}), true, {}, {{7, 200}},
       {{0, {0, 0, 0}}, {128, {128, 128, 128}}, {255, {255, 255, 255}}}},
      {"FLC 64-level colours times 4, skip and count",
       MakeFlcCel(1, 1, {{11, FlcColourBody({{3, {{1, 2, 3}}}, {1, {{63, 0, 0}}}})}, {16, {3}}}), true, {}, {{3}},
       {{3, {4, 8, 12}}, {5, {252, 0, 0}}, {4, {0, 0, 0}}}},
      {"FLC colours past index 255 are dropped",
       MakeFlcCel(1, 1, {{4, FlcColourBody({{250, Grey(10, 20)}})}, {16, {1}}}), true, {}, {{1}},
       {{250, {0, 0, 0}}, {255, {100, 100, 100}}, {0, {0, 0, 0}}}},
      {"odd colour chunk padded to even", MakeFlcCel(2, 1, {odd, {16, {0, 0}}}), true, {}, {{0, 0}}, {{0, {9, 9, 9}}}},
      {"FLC byte run: runs and copies cut at the row end",
       MakeFlcCel(4, 2, {{15, FlcByteRunBody({{3, 5, -2, 6, 7}, {-5, 1, 2, 3, 4, 9}})}}), true, {},
       {{5, 5, 5, 6}, {1, 2, 3, 4}}},
      {"chunk size below 6", MakeFlcCel(1, 1, {{16, {1}, 3}}), false, invalid},
      {"first frame not of type 0xF1FA", other_frame, false, invalid},
      {"copy chunk cut short", flc_cut, false, error},
      {"neither layout", Bytes(200, 0x11), false, invalid},
  };
}

TEST_F(ViewerLoad, CelFilesGiveTheirPictureOrTheirBox) {
  for (const CelCase& c : CelCases()) {
    SCOPED_TRACE(c.what);
    if (!LoadCase(kImageCel, c.file, "pic.cel", c.ok, c.box)) continue;
    EXPECT_EQ(ImageBitCount(image), 8);
    ExpectRows(c.rows, 1);
    for (const auto& [i, rgb] : c.colours) {
      const uint8_t* q = image.colour_table + 4 * i;
      EXPECT_EQ((Bytes{q[2], q[1], q[0]}), (Bytes{rgb.r, rgb.g, rgb.b})) << "entry " << i;
    }
  }
}

// ---------------------------------------------------------------- BMP

struct BmpCase {
  const char* what;
  Bytes file;
  bool ok;
  ExpectedBox box;
  size_t header_size = 0;   // bytes of the held header block
  size_t pixel_size = 0;    // bytes of the held pixel block
  int palette = 0;          // entries of the built palette
  std::vector<std::vector<Rgb>> picture = {};  // top-first, as painted
};

Bytes Bmp(int header, int w, int h, int bits, std::vector<Rgb> table, Bytes data,
          const std::function<void(BmpPlan&)>& change = nullptr) {
  BmpPlan s;
  s.header_size = header;
  s.width = w;
  s.height = h;
  s.bits = bits;
  s.clr_used = uint32_t(table.size());
  s.table = std::move(table);
  s.bits_data = std::move(data);
  if (change) change(s);
  return MakeBmp(s);
}

std::vector<BmpCase> BmpCases() {
  const std::vector<Rgb> two = {kRed, kBlue};
  // 2 x 2, 8 bits: top row 0 1, bottom row 1 1.
  const Bytes rows8 = DibRows({{0, 1}, {1, 1}});
  const std::vector<std::vector<Rgb>> pic = {{kRed, kBlue}, {kBlue, kBlue}};
  std::vector<Rgb> full = two;  // a core header has no colour count: 2^bits entries
  full.resize(256, kWhite);
  const ExpectedBox invalid{" is NOT a valid BMP file"};
  const Bytes zeros(4, 0);
  Bytes cut = Bmp(40, 2, 2, 8, two, rows8);
  cut.resize(14 + 20);
  return {
      {"32 bits: no palette", Bmp(40, 1, 1, 32, {}, {kGreen.b, kGreen.g, kGreen.r, 0}), true, {}, 40, 4, 0, {{kGreen}}},
      {"108-byte header held as 40", Bmp(108, 2, 2, 8, two, rows8), true, {}, 48, 8, 2, pic},
      {"12-byte core header with 3-byte colours", Bmp(12, 2, 2, 8, full, rows8), true, {}, 1064, 8, 256, pic},
      // 5-6-5 bit fields: red 0xF800, green 0x07E0, blue 0x001F.
      {"bit fields carry their masks",
       Bmp(40, 1, 1, 16, {}, {0x00, 0xF8, 0, 0},
           [](BmpPlan& s) { s.compression = 3, s.masks[0] = 0xF800, s.masks[1] = 0x07E0, s.masks[2] = 0x001F; }),
       true, {}, 52, 4, 0, {{{255, 0, 0}}}},
      {"bits found at their offset", Bmp(40, 2, 2, 8, two, rows8, [](BmpPlan& s) { s.gap = 6; }), true, {}, 48, 8, 2, pic},
      {"fewer bits than the header promises: zero-filled", Bmp(40, 2, 2, 8, two, {1, 1, 0, 0}), true, {}, 48, 8, 2,
       {{kRed, kRed}, {kBlue, kBlue}}},  // the top row is missing
      {"file size field past the end", Bmp(40, 2, 2, 8, two, rows8, [](BmpPlan& s) { s.file_size = 0x7FFFFFF0; }),
       true, {}, 48, 8, 2, pic},
      {"64 bits per pixel", Bmp(40, 1, 1, 64, {}, Bytes(8, 0)), false, invalid},
      {"header size 20", Bmp(20, 1, 1, 8, two, zeros), false, invalid},
      {"absurd size", Bmp(40, 0x40000000, 4, 24, {}, zeros), false, invalid},
      {"width 0", Bmp(40, 0, 4, 24, {}, zeros), false, invalid},
      {"height beyond 16 bits", Bmp(40, 1, -65536, 8, two, zeros), false, invalid},
      {"more than 256 colours", Bmp(40, 1, 1, 8, two, zeros, [](BmpPlan& s) { s.clr_used = 300; }), false, invalid},
      {"compression 4", Bmp(40, 1, 1, 8, two, zeros, [](BmpPlan& s) { s.compression = 4; }), false, invalid},
      {"RLE4 at 8 bits", Bmp(40, 1, 1, 8, two, zeros, [](BmpPlan& s) { s.compression = 2; }), false, invalid},
      {"headers cut short", cut, false, invalid},
  };
}

TEST_F(ViewerLoad, BmpFilesAreHeldAsStored) {
  for (const BmpCase& c : BmpCases()) {
    SCOPED_TRACE(c.what);
    if (!LoadCase(kImageBmp, c.file, "pic.bmp", c.ok, c.box)) continue;
    EXPECT_EQ(get_le32(image.header), 40u);
    EXPECT_EQ(image.header_size, c.header_size);
    EXPECT_EQ(image.pixel_size, c.pixel_size);
    EXPECT_LE(ImagePaintBytes(image), image.pixel_size);
    EXPECT_EQ(BuildImagePalette(image).count, c.palette);
    RgbPicture picture;
    ASSERT_TRUE(RenderImage(image, picture));
    ASSERT_EQ(size_t(picture.height), c.picture.size());
    ASSERT_EQ(size_t(picture.width), c.picture[0].size());
    ImageExtent extent = ImageExtentOf(image);
    EXPECT_EQ(extent.width, picture.width);
    EXPECT_EQ(extent.height, picture.height);
    for (size_t y = 0; y < c.picture.size(); ++y)
      for (size_t x = 0; x < c.picture[y].size(); ++x) {
        const uint8_t* px = &picture.rgb[(y * size_t(picture.width) + x) * 3];
        const Rgb& want = c.picture[y][x];
        EXPECT_EQ((Bytes{px[0], px[1], px[2]}), (Bytes{want.r, want.g, want.b})) << "pixel " << x << "," << y;
      }
  }
}

TEST_F(ViewerLoad, MissingFileIsReportedByEveryKind) {
  const std::pair<ImageKind, const char*> cases[] = {{kImageGif, " is NOT a valid GIF file"},
                                                     {kImageTga, " is NOT a valid TGA file type"},
                                                     {kImageCel, " is NOT a valid CEL file"},
                                                     {kImageBmp, " is NOT a valid BMP file"}};
  for (const auto& [kind, suffix] : cases) {
    EXPECT_FALSE(Load(kind, nullptr, "missing"));
    ExpectBox({suffix});
  }
}

}  // namespace
