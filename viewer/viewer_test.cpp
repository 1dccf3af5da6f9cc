// The viewer's readers on small files made by hand: each group is a table of files and
// what loading them must give (held picture, boxes shown, header fields).
#include <gtest/gtest.h>

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

  bool Load(ImageKind kind, const Bytes& bytes, const std::string& name = "image") {
    path = dir / name;
    EXPECT_TRUE(WriteBytes(path, bytes));
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    ui.boxes.clear();
    return LoadImageOfKind(kind, buffer.data(), image, ui.table());
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

TEST(ImageKindOfTest, UpperCasesAndPicksByFirstMatchingSuffix) {
  struct Case {
    const char* name;
    const char* upper;
    ImageKind kind;
  } cases[] = {
      {"car.gif", "CAR.GIF", kImageGif},       {"car.tga", "CAR.TGA", kImageTga},
      {"car.cel", "CAR.CEL", kImageCel},       {"car.bmp", "CAR.BMP", kImageBmp},
      {"car.rle", "CAR.RLE", kImageBmp},       {"pic.dib", "PIC.DIB", kImageBmp},
      {"a.bmp.gif", "A.BMP.GIF", kImageGif},   {"a.gif.bmp", "A.GIF.BMP", kImageGif},
      {"a.tga.cel", "A.TGA.CEL", kImageCel},   {"a.cel.gif", "A.CEL.GIF", kImageGif},
      {"noext", "NOEXT", kImageBmp},           {"dir.gif/x.tga", "DIR.GIF/X.TGA", kImageGif},
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

GifSpec Gif(int w, int h, Bytes indices) {
  GifSpec s;
  s.width = w;
  s.height = h;
  s.palette = {{0xFF, 0x83, 0x01}, {10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
  s.indices = std::move(indices);
  return s;
}

struct GifCase {
  const char* what;
  GifSpec spec;
  bool ok;
  ExpectedBox box;
  Rows rows;  // expected top-first rows (declared width); empty: the decoded ramp
};

std::vector<GifCase> GifCases() {
  std::vector<GifCase> cases;
  auto add = [&](const char* what, GifSpec s, bool ok, ExpectedBox box = {}, Rows rows = {}) {
    cases.push_back({what, std::move(s), ok, box, std::move(rows)});
  };
  add("13 x 7 ramp", Gif(13, 7, Ramp(91, 4)), true);
  {
    GifSpec s = Gif(13, 7, Ramp(91, 4));
    s.signature = "GIF8xa";
    add("signature with a letter for a digit", s, false, {" is NOT a valid GIF file"});
    s.signature = "GIF89{";
    add("signature ending past 'z'", s, false, {" is NOT a valid GIF file"});
  }
  {
    GifSpec s = Gif(4, 2, Ramp(8, 4));
    s.global_table = false;
    add("no global colour table", s, false, {" is NOT a valid GIF file"});
  }
  add("1025 high", Gif(1, 1025, Ramp(1025, 4)), false, {" is NOT a valid GIF file"});
  add("width 0 ends the read", Gif(0, 2, {}), false, {" is NOT a valid GIF file"});
  for (int size : {1, 10}) {
    GifSpec s = Gif(4, 2, Ramp(8, 4));
    s.min_code_size = size;
    add("minimum code size out of range: all zero", s, true, {}, Rows(2, Bytes(4, 0)));
  }
  {
    GifSpec s = Gif(4, 2, Ramp(8, 4));
    s.comment = true;
    s.second_image = true;
    s.interlaced_flag = true;
    add("comment, interlace flag, second image: rows as stored, first image only", s, true);
  }
  {
    GifSpec s = Gif(4, 2, Ramp(8, 4));
    s.local_table = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {13, 14, 15}, {16, 17, 18}, {19, 20, 21}, {22, 23, 24}};
    add("local colour table passed over", s, true);
  }
  {
    GifSpec s = Gif(5, 3, Ramp(15, 4));
    s.sub_block = 1;
    add("one-byte sub-blocks", s, true);
  }
  {
    // 4 x 4, 3-bit codes, a clear before every two literals: 9 bits per two pixels. Four
    // bytes hold three pairs and a clear: row 0 is whole, row 1 half decoded and lost.
    GifSpec s = Gif(4, 4, Ramp(16, 4));
    s.cut_raster_at = 4;
    add("raster cut after 4 bytes", s, true, {}, {{0, 1, 2, 3}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}});
  }
  {
    // Two-byte sub-blocks hold 16 bits: one pair (9 bits), a clear and one literal. A
    // zero-length block then ends the raster: only row 0 (2 pixels) is delivered.
    GifSpec s = Gif(2, 3, Ramp(6, 4));
    s.sub_block = 2;
    s.zero_block_after_first = true;
    add("zero-length sub-block ends the raster", s, true, {}, {{0, 1}, {0, 0}, {0, 0}});
  }
  {
    GifSpec s = Gif(3, 2, Ramp(12, 4));
    add("rows beyond the height are dropped", s, true, {}, {{0, 1, 2}, {3, 0, 1}});
  }
  return cases;
}

TEST_F(ViewerLoad, GifFilesGiveTheirPictureOrTheirBox) {
  for (const GifCase& c : GifCases()) {
    SCOPED_TRACE(c.what);
    ReleaseImage(image);
    bool ok = Load(kImageGif, MakeGif(c.spec), "pic.gif");
    ASSERT_EQ(ok, c.ok);
    ExpectBox(c.box);
    if (!ok) {
      EXPECT_EQ(image.header, nullptr);
      EXPECT_EQ(image.pixels, nullptr);
      continue;
    }
    EXPECT_EQ(image.width, c.spec.width);
    EXPECT_EQ(image.stride, (c.spec.width + 3) / 4 * 4);
    EXPECT_EQ(ImageHeaderWidth(image), image.stride);
    EXPECT_EQ(ImageBitCount(image), 8);
    EXPECT_EQ(image.header_size, 1064u);
    EXPECT_EQ(image.pixel_size, size_t(image.stride) * size_t(image.height));
    ExpectRows(c.rows.empty() ? Split(c.spec.indices, c.spec.width) : c.rows, 1);
  }
}

TEST_F(ViewerLoad, GifColoursKeepTheirUpperSixBits) {
  ASSERT_TRUE(Load(kImageGif, MakeGif(Gif(2, 1, {0, 1})), "pic.gif"));
  const uint8_t* t = image.colour_table;
  EXPECT_EQ((Bytes{t[0], t[1], t[2], t[3]}), (Bytes{0x00, 0x80, 0xFC, 0}));  // blue, green, red
  EXPECT_EQ((Bytes{t[4], t[5], t[6]}), (Bytes{28, 20, 8}));                  // 30, 20, 10
  ImagePalette p = BuildImagePalette(image);
  EXPECT_EQ(p.count, 256);
  EXPECT_EQ(p.entries[0].red, 0xFC);
  EXPECT_EQ(p.entries[0].green, 0x80);
  EXPECT_EQ(p.entries[0].blue, 0x00);
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
    ASSERT_TRUE(Load(kImageGif, MakeGifWithRaster(int(c.row.size()), 1, 2, PackCodes(c.codes)), "pic.gif"));
    ExpectRows({c.row}, 1);
  }
}

TEST_F(ViewerLoad, GifWithoutImageNeverReusesEarlierSize) {
  ASSERT_TRUE(Load(kImageGif, MakeGif(Gif(4, 2, Ramp(8, 4))), "a.gif"));
  GifSpec none = Gif(4, 2, {});
  Bytes bytes = MakeGif(none);
  // Header and global table only, then the trailer.
  bytes.resize(13 + 4 * 3);
  bytes.push_back(0x3B);
  EXPECT_FALSE(Load(kImageGif, bytes, "b.gif"));
  ExpectBox({" is NOT a valid GIF file"});
  EXPECT_EQ(image.width, 0);
  EXPECT_EQ(image.header, nullptr);
}

// Every load starts from cleared colour tables and decoder state.
TEST_F(ViewerLoad, GifSameFileSamePictureWhateverCameBefore) {
  GifSpec small = Gif(3, 3, Ramp(9, 2));
  small.palette = {{8, 8, 8}, {16, 16, 16}};
  GifSpec rich = Gif(8, 8, Ramp(64, 200));
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
}

TEST_F(ViewerLoad, LongNameIsCutToFitTheWarningBuffer) {
  std::string name(200, 'n');
  GifSpec s = Gif(1, 1, {0});
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

TgaSpec Tga(int type, int depth, int descriptor, int w, int h, std::vector<Rgb> px) {
  TgaSpec s;
  s.type = type;
  s.depth = depth;
  s.descriptor = descriptor;
  s.width = w;
  s.height = h;
  s.pixels = std::move(px);
  return s;
}

struct TgaCase {
  const char* what;
  TgaSpec spec;
  bool ok;
  ExpectedBox box;
  Rows rows;  // top-first, blue green red
};

std::vector<TgaCase> TgaCases() {
  // The same 3 x 2 picture: top row red green blue, bottom row blue blue white.
  std::vector<Rgb> top_first = {kRed, kGreen, kBlue, kBlue, kBlue, kWhite};
  std::vector<Rgb> bottom_first = {kBlue, kBlue, kWhite, kRed, kGreen, kBlue};
  Rows picture = {Bgr({kRed, kGreen, kBlue}), Bgr({kBlue, kBlue, kWhite})};
  std::vector<TgaCase> cases;
  cases.push_back({"type 10, bottom row first", Tga(10, 32, 0x00, 3, 2, bottom_first), true, {}, picture});
  {
    TgaSpec s = Tga(2, 24, 0x20, 3, 2, top_first);
    s.id_length = 7;
    s.map_length = 5;
    s.map_entry_bits = 15;
    cases.push_back({"image ID and colour map passed over", s, true, {}, picture});
  }
  cases.push_back({"16 bits: 0x7FFF is F8 F8 F8", Tga(2, 16, 0x20, 1, 1, {kWhite}), true, {}, {{0xF8, 0xF8, 0xF8}}});
  {
    TgaSpec s = Tga(10, 24, 0x20, 2, 2, {kRed, kRed, kRed, kRed});
    s.runs_only = true;
    s.pixels.assign(7, kGreen);
    cases.push_back({"a run past the last pixel is cut", s, true, {}, {Bgr({kGreen, kGreen}), Bgr({kGreen, kGreen})}});
  }
  cases.push_back({"type 1 is not valid", Tga(1, 24, 0, 1, 1, {kRed}), false, {" is NOT a valid TGA file type"}, {}});
  cases.push_back({"type 3 is not valid", Tga(3, 24, 0, 1, 1, {kRed}), false, {" is NOT a valid TGA file type"}, {}});
  cases.push_back({"width 0 is not valid", Tga(2, 24, 0, 0, 1, {}), false, {" is NOT a valid TGA file type"}, {}});
  cases.push_back({"interleaved rows", Tga(2, 24, 0x40, 1, 1, {kRed}), false, {"Error reading TGA file"}, {}});
  {
    TgaSpec s = Tga(2, 24, 0x20, 3, 2, top_first);
    s.cut_at = 18 + 3 * 4;
    cases.push_back({"file ends in the pixels", s, false, {"Error reading TGA file"}, {}});
    s.type = 10;
    s.cut_at = 18 + 5;
    cases.push_back({"file ends in a packet", s, false, {"Error reading TGA file"}, {}});
    s.cut_at = 17;
    cases.push_back({"file ends in the header", s, false, {" is NOT a valid TGA file type"}, {}});
  }
  return cases;
}

TEST_F(ViewerLoad, TgaFilesGiveTheirPictureOrTheirBox) {
  for (const TgaCase& c : TgaCases()) {
    SCOPED_TRACE(c.what);
    ReleaseImage(image);
    bool ok = Load(kImageTga, MakeTga(c.spec), "pic.tga");
    ASSERT_EQ(ok, c.ok);
    ExpectBox(c.box);
    if (!ok) continue;
    EXPECT_EQ(ImageBitCount(image), 24);
    EXPECT_EQ(image.header_size, 40u);
    EXPECT_EQ(image.pixel_size, size_t(image.stride) * size_t(image.height) * 3);
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
  struct {
    int i, r, g, b;
  } entries[] = {{0, 0, 0, 0}, {1, 32, 0, 0}, {9, 32, 32, 0}, {64, 0, 0, 64}, {255, 224, 224, 192}};
  for (auto e : entries) {
    EXPECT_EQ(p.entries[e.i].red, e.r) << e.i;
    EXPECT_EQ(p.entries[e.i].green, e.g) << e.i;
    EXPECT_EQ(p.entries[e.i].blue, e.b) << e.i;
  }
}

TEST_F(ViewerLoad, HugeTgaIsOutOfMemoryBeforeAllocating) {
  TgaSpec s = Tga(2, 24, 0, 65535, 65535, {});
  EXPECT_FALSE(Load(kImageTga, MakeTga(s), "huge.tga"));
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
  Rows rows;                        // top-first indices
  std::vector<std::pair<int, Rgb>> colours;  // colour table entries to check (index, r g b)
};

std::vector<CelCase> CelCases() {
  std::vector<CelCase> cases;
  CelSpec plain;
  plain.width = 3;
  plain.height = 2;
  plain.palette = {{63, 0, 1}, {2, 3, 4}};
  plain.indices = {0, 1, 0, 1, 1, 0};
  cases.push_back({"plain layout, 63 becomes 252", MakePlainCel(plain), true, {}, {{0, 1, 0}, {1, 1, 0}},
                   {{0, {252, 0, 4}}, {1, {8, 12, 16}}}});
  {
    CelSpec s = plain;
    s.width = -3;
    cases.push_back({"negative width", MakePlainCel(s), false, {" is NOT a valid CEL file"}, {}, {}});
    Bytes cut = MakePlainCel(plain);
    cut.resize(cut.size() - 1);
    cases.push_back({"plain pixels cut short", cut, false, {"Error reading CEL file", "Viewer"}, {}, {}});
  }
  cases.push_back({"FLC layout, one 256-level packet of count 0",
                   MakeFlcCel(2, 1, {{4, FlcColourBody({{0, Grey(256, 1)}})}, {16, FlcCopyBody({7, 200})}}), true, {},
                   {{7, 200}}, {{0, {0, 0, 0}}, {128, {128, 128, 128}}, {255, {255, 255, 255}}}});
  cases.push_back({"FLC 64-level colours times 4, skip and count",
                   MakeFlcCel(1, 1, {{11, FlcColourBody({{3, {{1, 2, 3}}}, {1, {{63, 0, 0}}}})}, {16, FlcCopyBody({3})}}),
                   true, {}, {{3}}, {{3, {4, 8, 12}}, {5, {252, 0, 0}}, {4, {0, 0, 0}}}});
  cases.push_back({"FLC colours past index 255 are dropped",
                   MakeFlcCel(1, 1, {{4, FlcColourBody({{250, Grey(10, 20)}})}, {16, FlcCopyBody({1})}}), true, {},
                   {{1}}, {{250, {0, 0, 0}}, {255, {100, 100, 100}}, {0, {0, 0, 0}}}});
  {
    // A 7-byte colour body padded to 8: the copy chunk stands one byte further on.
    FlcChunk colour{4, FlcColourBody({{0, {{9, 9, 9}}}})};
    colour.pad_to_even = true;
    cases.push_back({"odd colour chunk padded to even", MakeFlcCel(2, 1, {colour, {16, FlcCopyBody({0, 0})}}), true,
                     {}, {{0, 0}}, {{0, {9, 9, 9}}}});
  }
  cases.push_back({"FLC byte run: runs and copies cut at the row end",
                   MakeFlcCel(4, 2, {{15, FlcByteRunBody({{3, 5, -2, 6, 7}, {-5, 1, 2, 3, 4, 9}})}}), true, {},
                   {{5, 5, 5, 6}, {1, 2, 3, 4}}, {}});
  cases.push_back({"chunk size below 6", MakeFlcCel(1, 1, {{16, FlcCopyBody({1}), 3}}), false,
                   {" is NOT a valid CEL file"}, {}, {}});
  {
    Bytes bad = MakeFlcCel(2, 1, {{16, FlcCopyBody({1, 2})}});
    put_le16(bad.data() + 128 + 4, 0xF100);
    cases.push_back({"first frame not of type 0xF1FA", bad, false, {" is NOT a valid CEL file"}, {}, {}});
    Bytes cut = MakeFlcCel(2, 1, {{4, FlcColourBody({{0, {{1, 1, 1}}}})}, {16, FlcCopyBody({1, 2})}});
    cut.resize(cut.size() - 1);
    cases.push_back({"copy chunk cut short", cut, false, {"Error reading CEL file", "Viewer"}, {}, {}});
  }
  cases.push_back({"neither layout", Bytes(200, 0x11), false, {" is NOT a valid CEL file"}, {}, {}});
  return cases;
}

TEST_F(ViewerLoad, CelFilesGiveTheirPictureOrTheirBox) {
  for (const CelCase& c : CelCases()) {
    SCOPED_TRACE(c.what);
    ReleaseImage(image);
    bool ok = Load(kImageCel, c.file, "pic.cel");
    ASSERT_EQ(ok, c.ok);
    ExpectBox(c.box);
    if (!ok) continue;
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
  BmpSpec spec;
  bool ok;
  ExpectedBox box;
  size_t header_size;   // bytes of the held header block
  size_t pixel_size;    // bytes of the held pixel block
  int palette;          // entries of the built palette
  std::vector<std::vector<Rgb>> picture;  // top-first, as painted
};

BmpSpec Bmp(int header, int w, int h, int bits, std::vector<Rgb> table, Bytes data) {
  BmpSpec s;
  s.header_size = header;
  s.width = w;
  s.height = h;
  s.bits = bits;
  s.clr_used = uint32_t(table.size());
  s.table = std::move(table);
  s.bits_data = std::move(data);
  return s;
}

std::vector<BmpCase> BmpCases() {
  const std::vector<Rgb> two = {kRed, kBlue};
  // 2 x 2, 8 bits: top row 0 1, bottom row 1 1.
  const Bytes rows8 = DibRows({{0, 1}, {1, 1}});
  const std::vector<std::vector<Rgb>> pic = {{kRed, kBlue}, {kBlue, kBlue}};
  std::vector<BmpCase> cases;
  cases.push_back({"8 bits, 40-byte header", Bmp(40, 2, 2, 8, two, rows8), true, {}, 48, 8, 2, pic});
  cases.push_back({"32 bits: no palette",
                   Bmp(40, 1, 1, 32, {}, {kGreen.b, kGreen.g, kGreen.r, 0}), true, {}, 40, 4, 0, {{kGreen}}});
  cases.push_back({"108-byte header held as 40", Bmp(108, 2, 2, 8, two, rows8), true, {}, 48, 8, 2, pic});
  {
    std::vector<Rgb> full = two;  // a core header has no colour count: 2^bits entries
    full.resize(256, kWhite);
    cases.push_back({"12-byte core header with 3-byte colours", Bmp(12, 2, 2, 8, full, rows8), true, {}, 1064, 8, 256,
                     pic});
  }
  {
    // 5-6-5 bit fields: red 0xF800, green 0x07E0, blue 0x001F.
    BmpSpec s = Bmp(40, 1, 1, 16, {}, {0x00, 0xF8, 0, 0});
    s.compression = 3;
    s.masks[0] = 0xF800, s.masks[1] = 0x07E0, s.masks[2] = 0x001F;
    cases.push_back({"bit fields carry their masks", s, true, {}, 52, 4, 0, {{{255, 0, 0}}}});
  }
  {
    BmpSpec s = Bmp(40, 2, 2, 8, two, rows8);
    s.gap = 6;
    cases.push_back({"bits found at their offset", s, true, {}, 48, 8, 2, pic});
    s = Bmp(40, 2, 2, 8, two, {1, 1, 0, 0});  // the top row is missing
    cases.push_back({"fewer bits than the header promises: zero-filled", s, true, {}, 48, 8, 2,
                     {{kRed, kRed}, {kBlue, kBlue}}});
    s = Bmp(40, 2, 2, 8, two, rows8);
    s.file_size = 0x7FFFFFF0;
    cases.push_back({"file size field past the end", s, true, {}, 48, 8, 2, pic});
  }
  const char* invalid = " is NOT a valid BMP file";
  cases.push_back({"64 bits per pixel", Bmp(40, 1, 1, 64, {}, Bytes(8, 0)), false, {invalid}, 0, 0, 0, {}});
  cases.push_back({"header size 20", Bmp(20, 1, 1, 8, two, Bytes(4, 0)), false, {invalid}, 0, 0, 0, {}});
  cases.push_back({"absurd size", Bmp(40, 0x40000000, 4, 24, {}, Bytes(4, 0)), false, {invalid}, 0, 0, 0, {}});
  cases.push_back({"width 0", Bmp(40, 0, 4, 24, {}, Bytes(4, 0)), false, {invalid}, 0, 0, 0, {}});
  cases.push_back({"height beyond 16 bits", Bmp(40, 1, -65536, 8, two, Bytes(4, 0)), false, {invalid}, 0, 0, 0, {}});
  {
    BmpSpec s = Bmp(40, 1, 1, 8, two, Bytes(4, 0));
    s.clr_used = 300;
    cases.push_back({"more than 256 colours", s, false, {invalid}, 0, 0, 0, {}});
    s = Bmp(40, 1, 1, 8, two, Bytes(4, 0));
    s.compression = 4;
    cases.push_back({"compression 4", s, false, {invalid}, 0, 0, 0, {}});
    s.compression = 2;
    cases.push_back({"RLE4 at 8 bits", s, false, {invalid}, 0, 0, 0, {}});
  }
  {
    Bytes cut = MakeBmp(Bmp(40, 2, 2, 8, two, rows8));
    cut.resize(14 + 20);
    BmpSpec s;
    cases.push_back({"headers cut short", s, false, {invalid}, 0, 0, 0, {}});
  }
  return cases;
}

TEST_F(ViewerLoad, BmpFilesAreHeldAsStored) {
  for (const BmpCase& c : BmpCases()) {
    SCOPED_TRACE(c.what);
    ReleaseImage(image);
    Bytes file = MakeBmp(c.spec);
    if (std::string(c.what) == "headers cut short") file.resize(14 + 20);
    bool ok = Load(kImageBmp, file, "pic.bmp");
    ASSERT_EQ(ok, c.ok);
    ExpectBox(c.box);
    if (!ok) {
      EXPECT_EQ(image.header, nullptr);
      continue;
    }
    EXPECT_EQ(get_le32(image.header), 40u);
    EXPECT_EQ(image.header_size, c.header_size);
    EXPECT_EQ(image.pixel_size, c.pixel_size);
    EXPECT_LE(ImagePaintBytes(image), image.pixel_size);
    EXPECT_EQ(BuildImagePalette(image).count, c.palette);
    ImageExtent extent = ImageExtentOf(image);
    EXPECT_EQ(extent.width, c.spec.width);
    EXPECT_EQ(extent.height, c.spec.height < 0 ? -c.spec.height : c.spec.height);
    RgbPicture picture;
    ASSERT_TRUE(RenderImage(image, picture));
    ASSERT_EQ(size_t(picture.height), c.picture.size());
    for (size_t y = 0; y < c.picture.size(); ++y)
      for (size_t x = 0; x < c.picture[y].size(); ++x) {
        const uint8_t* px = &picture.rgb[(y * size_t(picture.width) + x) * 3];
        EXPECT_EQ((Bytes{px[0], px[1], px[2]}), (Bytes{c.picture[y][x].r, c.picture[y][x].g, c.picture[y][x].b}))
            << "pixel " << x << "," << y;
      }
  }
}

TEST_F(ViewerLoad, MissingFileIsReportedByEveryKind) {
  struct {
    ImageKind kind;
    const char* suffix;
  } cases[] = {{kImageGif, " is NOT a valid GIF file"},
               {kImageTga, " is NOT a valid TGA file type"},
               {kImageCel, " is NOT a valid CEL file"},
               {kImageBmp, " is NOT a valid BMP file"}};
  for (auto c : cases) {
    path = dir / "missing";
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    ui.boxes.clear();
    EXPECT_FALSE(LoadImageOfKind(c.kind, name.data(), image, ui.table()));
    ExpectBox({c.suffix});
  }
}

}  // namespace
