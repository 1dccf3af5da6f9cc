// ".16b" frame files: names, reading into an index frame, and writing (for the `zel` host
// and the tests, which play the renderer's part).
#include <cstring>

#include "animation/frameset/frameset.h"

namespace {

struct FileCloser {
  FILE* file;
  ~FileCloser() {
    if (file) std::fclose(file);
  }
};

bool read_words(FILE* f, uint16_t* dst, size_t count) {
  uint8_t bytes[2 * 256];
  while (count > 0) {
    size_t n = count < 256 ? count : 256;
    if (std::fread(bytes, 2, n, f) != n) return false;
    for (size_t i = 0; i < n; ++i) dst[i] = uint16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    dst += n;
    count -= n;
  }
  return true;
}

bool read_le32(FILE* f, int32_t* v) {
  uint8_t b[4];
  if (std::fread(b, 1, 4, f) != 4) return false;
  *v = int32_t(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24));
  return true;
}

// Expands `count` run-length words into the row buffer; false when a run overruns the words
// or the row buffer.
bool decode_row(const uint16_t* words, size_t count, uint16_t* row) {
  size_t in = 0;
  size_t out = 0;
  while (in < count) {
    int16_t c = int16_t(words[in++]);
    if (c >= 0) {
      size_t repeat = size_t(c) + 1;
      if (in >= count || repeat > size_t(kRowPixels) - out) return false;
      uint16_t v = words[in++];
      for (size_t i = 0; i < repeat; ++i) row[out++] = v;
    } else {
      size_t literal = size_t(1 - int(c));
      if (literal > count - in || literal > size_t(kRowPixels) - out) return false;
      std::memcpy(row + out, words + in, literal * 2);
      in += literal;
      out += literal;
    }
  }
  return true;
}

}  // namespace

std::string FrameFileName(const char* prefix, long n) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%03ld", n);
  return std::string(prefix ? prefix : "") + digits + ".16b";
}

std::string FrameFileReadName(const char* prefix, long n) {
  std::string name = FrameFileName(prefix, n);
  for (char& ch : name)
    if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
  return name;
}

ReadResult ReadFrame(FrameSetRun* run, long n, uint8_t* frame, size_t rowStride) {
  const FrameSetPlatform* platform = run->platform ? run->platform : FrameSetStandardPlatform();
  std::string name = FrameFileReadName(run->prefix, n);
  FileCloser file{platform->open(name.c_str(), "rb")};
  if (!file.file) return ReadOpenFailed;

  int32_t width = 0, height = 0;
  if (!read_le32(file.file, &width) || !read_le32(file.file, &height)) return ReadFailed;
  if (width != run->width || height != run->height) return ReadFailed;
  if (width < 0 || width > kRowPixels || height < 0) return ReadFailed;

  // The row buffer keeps what an earlier row left where a short run-length row ends.
  uint16_t row[kRowPixels] = {};
  uint16_t words[kAviRowWords];
  const int maxWords = run->compressedRowWords < kAviRowWords ? run->compressedRowWords : kAviRowWords;
  uint32_t* cache = run->colourCounts;
  const uint32_t limit = run->colourCount;
  uint8_t* out = frame;
  for (int y = 0; y < height; ++y) {
    uint16_t count = 0;
    if (!read_words(file.file, &count, 1)) return ReadFailed;
    if (count == 0) {
      if (!read_words(file.file, row, size_t(width))) return ReadFailed;
    } else {
      if (count > maxWords) return ReadFailed;
      if (!read_words(file.file, words, count)) return ReadFailed;
      if (!decode_row(words, count, row)) return ReadFailed;
    }
    for (int x = 0; x < width; ++x) {
      uint16_t v = row[x];
      if (v >= limit) return ReadFailed;
      uint32_t index = cache[v];
      if (index > 256) {
        index = NearestPaletteIndex(run->palette, v);
        cache[v] = index;
      }
      out[x] = uint8_t(index);
    }
    out += rowStride;
  }
  return ReadOk;
}

bool ReadFramePixels(const std::string& name, int* width, int* height, std::vector<uint16_t>* pixels) {
  FileCloser file{std::fopen(name.c_str(), "rb")};
  if (!file.file) return false;
  int32_t w = 0, h = 0;
  if (!read_le32(file.file, &w) || !read_le32(file.file, &h)) return false;
  if (w < 1 || w > kRowPixels || h < 1 || h > 8192) return false;
  pixels->assign(size_t(w) * size_t(h), 0);
  uint16_t row[kRowPixels] = {};
  uint16_t words[kAviRowWords];
  for (int y = 0; y < h; ++y) {
    uint16_t count = 0;
    if (!read_words(file.file, &count, 1)) return false;
    if (count == 0) {
      if (!read_words(file.file, row, size_t(w))) return false;
    } else if (count > kAviRowWords || !read_words(file.file, words, count) || !decode_row(words, count, row)) {
      return false;
    }
    std::memcpy(pixels->data() + size_t(y) * size_t(w), row, size_t(w) * 2);
  }
  *width = w;
  *height = h;
  return true;
}

bool EncodeFrameRow(const uint16_t* px, int width, int maxWords, std::vector<uint16_t>* out) {
  out->clear();
  int x = 0;
  while (x < width) {
    int same = 1;
    while (x + same < width && px[x + same] == px[x] && same < 32768) ++same;
    if (same >= 2) {
      out->push_back(uint16_t(same - 1));
      out->push_back(px[x]);
      x += same;
      continue;
    }
    // Literals up to the next pair of equal pixels.
    int len = 1;
    while (x + len < width && len < 32768 &&
           !(x + len + 1 < width && px[x + len] == px[x + len + 1]))
      ++len;
    out->push_back(uint16_t(int16_t(1 - len)));
    out->insert(out->end(), px + x, px + x + len);
    x += len;
  }
  if (out->size() >= size_t(width) || out->size() > size_t(maxWords) || out->empty()) {
    out->clear();
    return false;
  }
  return true;
}

bool WriteFrameFile(FILE* f, int width, int height, const uint16_t* pixels, RowCoding coding) {
  std::vector<uint8_t> bytes;
  auto put16 = [&](uint16_t v) {
    bytes.push_back(uint8_t(v));
    bytes.push_back(uint8_t(v >> 8));
  };
  put16(uint16_t(width));
  put16(uint16_t(uint32_t(width) >> 16));
  put16(uint16_t(height));
  put16(uint16_t(uint32_t(height) >> 16));
  std::vector<uint16_t> coded;
  for (int y = 0; y < height; ++y) {
    const uint16_t* row = pixels + size_t(y) * size_t(width);
    bool try_rle = coding == RowCoding::RunLength || (coding == RowCoding::Mixed && y % 2 == 0);
    if (try_rle && EncodeFrameRow(row, width, kFlicRowWords, &coded)) {
      put16(uint16_t(coded.size()));
      for (uint16_t w : coded) put16(w);
    } else {
      put16(0);
      for (int x = 0; x < width; ++x) put16(row[x]);
    }
  }
  return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
}

bool WriteFramePixels(const std::string& path, int width, int height, const std::vector<uint16_t>& pixels,
                      RowCoding coding) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = WriteFrameFile(f, width, height, pixels.data(), coding);
  return std::fclose(f) == 0 && ok;
}

bool WriteHistogramFile(const std::string& path, const std::vector<uint32_t>& histogram) {
  std::vector<uint8_t> bytes(32768 * 4, 0);
  for (size_t i = 0; i < 32768 && i < histogram.size(); ++i)
    for (int b = 0; b < 4; ++b) bytes[4 * i + b] = uint8_t(histogram[i] >> (8 * b));
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool ReadHistogramFile(const std::string& path, std::vector<uint32_t>* histogram) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> bytes(32768 * 4 + 1);
  size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  if (got != 32768 * 4) return false;
  histogram->assign(32768, 0);
  for (size_t i = 0; i < 32768; ++i)
    (*histogram)[i] = uint32_t(bytes[4 * i]) | (uint32_t(bytes[4 * i + 1]) << 8) |
                      (uint32_t(bytes[4 * i + 2]) << 16) | (uint32_t(bytes[4 * i + 3]) << 24);
  return true;
}
