#include "animation/flic/testing/flic_decoder.h"

#include <cstdio>
#include <cstring>

#include "common/bytes.h"

namespace {

bool decode_chunk(uint16_t type, ByteCursor c, int w, int h, std::vector<uint8_t>& px,
                  std::array<uint8_t, 768>& pal, std::string* error) {
  auto fail = [&](const char* what) {
    *error = what;
    return false;
  };
  switch (type) {
    case 11: {
      uint16_t packets = c.get16le();
      int index = 0;
      for (uint16_t p = 0; p < packets; ++p) {
        index += c.get8();
        int n = c.get8();
        if (n == 0) n = 256;
        for (int i = 0; i < n; ++i, ++index) {
          if (index >= 256) return fail("colour index past 255");
          for (int k = 0; k < 3; ++k) pal[size_t(3 * index + k)] = c.get8();
        }
      }
      break;
    }
    case 15:
      for (int y = 0; y < h; ++y) {
        c.get8();  // packet count, not trusted
        int x = 0;
        while (x < w) {
          int8_t n = int8_t(c.get8());
          if (c.short_read) return fail("byte run short");
          if (n > 0) {
            uint8_t v = c.get8();
            if (x + n > w) return fail("byte run past the line");
            for (int i = 0; i < n; ++i) px[size_t(y) * w + x++] = v;
          } else {
            int m = -n;
            if (x + m > w) return fail("byte run literal past the line");
            for (int i = 0; i < m; ++i) px[size_t(y) * w + x++] = c.get8();
          }
        }
      }
      break;
    case 16:
      if (c.size != size_t(w) * size_t(h)) return fail("copy chunk of another size than the frame");
      c.read(px.data(), px.size());
      break;
    case 12: {
      int y = c.get16le();
      int lines = c.get16le();
      if (y + lines > h) return fail("line delta past the frame");
      for (; lines > 0; --lines, ++y) {
        int packets = c.get8();
        int x = 0;
        for (int p = 0; p < packets; ++p) {
          x += c.get8();
          int8_t s = int8_t(c.get8());
          int n = s > 0 ? s : -s;
          if (x + n > w) return fail("line delta packet past the line");
          if (s > 0) {
            for (int i = 0; i < n; ++i) px[size_t(y) * w + x++] = c.get8();
          } else {
            uint8_t v = c.get8();
            for (int i = 0; i < n; ++i) px[size_t(y) * w + x++] = v;
          }
        }
      }
      break;
    }
    case 7: {
      int lines = c.get16le();
      int y = 0;
      while (lines > 0) {
        if (c.short_read) return fail("word delta short");
        uint16_t word = c.get16le();
        if ((word & 0xC000) == 0xC000) {
          y += 0x10000 - word;
          continue;
        }
        if (y >= h) return fail("word delta past the frame");
        if ((word & 0xC000) == 0x8000) {
          px[size_t(y) * w + w - 1] = uint8_t(word);
          continue;
        }
        if ((word & 0xC000) == 0x4000) return fail("undefined word delta opcode");
        int x = 0;
        for (int p = 0; p < word; ++p) {
          x += c.get8();
          int8_t s = int8_t(c.get8());
          int n = s > 0 ? s : -s;
          if (x + 2 * n > w) return fail("word delta packet past the line");
          if (s > 0) {
            for (int i = 0; i < 2 * n; ++i) px[size_t(y) * w + x++] = c.get8();
          } else {
            uint8_t a = c.get8(), b = c.get8();
            for (int i = 0; i < n; ++i) {
              px[size_t(y) * w + x++] = a;
              px[size_t(y) * w + x++] = b;
            }
          }
        }
        ++y;
        --lines;
      }
      break;
    }
    default:
      return fail("unknown chunk type");
  }
  if (c.short_read) return fail("chunk data short");
  return true;
}

}  // namespace

DecodedFlic DecodeFlic(const std::vector<uint8_t>& file) {
  DecodedFlic d;
  if (file.size() < 128) {
    d.error = "no header";
    return d;
  }
  const uint8_t* p = file.data();
  d.header.assign(p, p + 128);
  d.fileSize = get_le32(p);
  d.magic = get_le16(p + 4);
  d.frameCount = get_le16(p + 6);
  d.width = get_le16(p + 8);
  d.height = get_le16(p + 10);
  d.depth = get_le16(p + 12);
  d.flags = get_le16(p + 14);
  d.speed = d.magic == 0xAF12 ? get_le32(p + 16) : get_le16(p + 16);
  const int w = d.width, h = d.height;
  std::vector<uint8_t> px(size_t(w) * size_t(h), 0);
  std::array<uint8_t, 768> pal{};
  size_t pos = 128;
  while (pos < file.size()) {
    if (file.size() - pos < 16) {
      d.error = "record header short";
      return d;
    }
    uint32_t size = get_le32(p + pos);
    if (get_le16(p + pos + 4) != 0xF1FA || size < 16 || size > file.size() - pos) {
      d.error = "bad frame record";
      return d;
    }
    uint16_t chunks = get_le16(p + pos + 6);
    d.recordSizes.push_back(size);
    d.chunks.emplace_back();
    size_t cpos = pos + 16;
    for (uint16_t i = 0; i < chunks; ++i) {
      if (pos + size - cpos < 6) {
        d.error = "chunk header past the record";
        return d;
      }
      uint32_t csize = get_le32(p + cpos);
      uint16_t type = get_le16(p + cpos + 4);
      if (csize < 6 || csize > pos + size - cpos) {
        d.error = "chunk past the record";
        return d;
      }
      d.chunks.back().push_back({csize, type});
      // Delta chunks may carry filler; a copy chunk is exactly the frame.
      if (!decode_chunk(type, ByteCursor(p + cpos + 6, csize - 6), w, h, px, pal, &d.error)) return d;
      cpos += csize;
    }
    d.frames.push_back(px);
    d.palettes.push_back(pal);
    pos += size;
  }
  return d;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  std::fclose(f);
  return bytes;
}
