#include "viewer/testing/image_files.h"

#include <algorithm>
#include <cstdio>

#include "common/bytes.h"

bool WriteBytes(const std::string& path, const Bytes& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

Bytes PackCodes(const std::vector<int>& codes, int width) {
  std::vector<std::pair<int, int>> sized;
  for (int c : codes) sized.emplace_back(c, width);
  return PackCodes(sized);
}

Bytes PackCodes(const std::vector<std::pair<int, int>>& codes) {
  Bytes out;
  uint32_t acc = 0;
  int n = 0;
  for (const auto& [c, width] : codes) {
    acc |= uint32_t(c) << n;
    n += width;
    while (n >= 8) {
      out.push_back(uint8_t(acc));
      acc >>= 8;
      n -= 8;
    }
  }
  if (n > 0) out.push_back(uint8_t(acc));
  return out;
}

Bytes GifLiteralCodes(const std::vector<uint8_t>& indices, int s, bool end_code) {
  const int clear = 1 << s;
  const size_t run = size_t(clear) - 2;  // literals per clear: the width stays s + 1
  std::vector<int> codes;
  for (size_t i = 0; i < indices.size(); ++i) {
    if (i % run == 0) codes.push_back(clear);
    codes.push_back(indices[i] & (clear - 1));
  }
  if (end_code) codes.push_back(clear + 1);
  return PackCodes(codes, s + 1);
}

namespace {

void AppendTable(Bytes& out, const std::vector<Rgb>& table) {
  for (const Rgb& c : table) out.insert(out.end(), {c.r, c.g, c.b});
}

int TableBits(size_t entries) {
  int bits = 1;
  while ((size_t(1) << bits) < entries) ++bits;
  return bits;
}

void AppendSubBlocks(Bytes& out, const Bytes& data, int block, bool zero_after_first) {
  size_t at = 0;
  bool first = true;
  while (at < data.size()) {
    size_t n = std::min(data.size() - at, size_t(block));
    out.push_back(uint8_t(n));
    out.insert(out.end(), data.begin() + long(at), data.begin() + long(at + n));
    at += n;
    if (first && zero_after_first) out.push_back(0);
    first = false;
  }
  out.push_back(0);
}

Bytes GifHeader(const GifSpec& spec) {
  Bytes out(spec.signature, spec.signature + 6);
  append_le16(out, uint16_t(spec.width));
  append_le16(out, uint16_t(spec.height));
  int bits = TableBits(spec.palette.size());
  out.push_back(uint8_t((spec.global_table ? 0x80 : 0) | (bits - 1)));
  out.push_back(0);
  out.push_back(0);
  if (spec.global_table) {
    std::vector<Rgb> table = spec.palette;
    table.resize(size_t(1) << bits, Rgb{0, 0, 0});
    AppendTable(out, table);
  }
  return out;
}

void AppendDescriptor(Bytes& out, int width, int height, uint8_t flags) {
  out.push_back(0x2C);
  append_le16(out, 0);
  append_le16(out, 0);
  append_le16(out, uint16_t(width));
  append_le16(out, uint16_t(height));
  out.push_back(flags);
}

}  // namespace

Bytes MakeGif(const GifSpec& spec) {
  Bytes out = GifHeader(spec);
  if (spec.comment) {
    out.insert(out.end(), {0x21, 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 0});
  }
  uint8_t flags = spec.interlaced_flag ? 0x40 : 0;
  std::vector<Rgb> local = spec.local_table;
  if (!local.empty()) {
    int bits = TableBits(local.size());
    local.resize(size_t(1) << bits, Rgb{0, 0, 0});
    flags |= uint8_t(0x80 | (bits - 1));
  }
  AppendDescriptor(out, spec.width, spec.height, flags);
  AppendTable(out, local);
  out.push_back(uint8_t(spec.min_code_size));
  int s = spec.min_code_size < 2 ? 2 : spec.min_code_size > 11 ? 11 : spec.min_code_size;
  Bytes raster = GifLiteralCodes(spec.indices, s);
  bool cut = spec.cut_raster_at < raster.size();
  if (cut) raster.resize(spec.cut_raster_at);
  AppendSubBlocks(out, raster, spec.sub_block, spec.zero_block_after_first);
  if (cut) {
    out.pop_back();  // the file ends inside the raster
    return out;
  }
  if (spec.second_image) {
    AppendDescriptor(out, spec.width, spec.height, 0);
    out.push_back(2);
    AppendSubBlocks(out, GifLiteralCodes(std::vector<uint8_t>(size_t(spec.width) * size_t(spec.height), 1), 2),
                    255, false);
  }
  out.push_back(0x3B);
  return out;
}

Bytes MakeGifWithRaster(int width, int height, int min_code_size, const Bytes& raster) {
  GifSpec spec;
  spec.width = width;
  spec.height = height;
  Bytes out = GifHeader(spec);
  AppendDescriptor(out, width, height, 0);
  out.push_back(uint8_t(min_code_size));
  AppendSubBlocks(out, raster, 255, false);
  out.push_back(0x3B);
  return out;
}

uint16_t Tga16(Rgb c) { return uint16_t(((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3)); }

namespace {

void AppendTgaPixel(Bytes& out, int depth, Rgb c) {
  if (depth == 16) {
    append_le16(out, Tga16(c));
    return;
  }
  out.insert(out.end(), {c.b, c.g, c.r});
  if (depth == 32) out.push_back(0xFF);
}

bool Same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

}  // namespace

Bytes MakeTga(const TgaSpec& spec) {
  Bytes out;
  out.push_back(uint8_t(spec.id_length));
  out.push_back(spec.map_length ? 1 : 0);
  out.push_back(uint8_t(spec.type));
  append_le16(out, 0);
  append_le16(out, uint16_t(spec.map_length));
  out.push_back(uint8_t(spec.map_entry_bits));
  append_le16(out, 0);
  append_le16(out, 0);
  append_le16(out, uint16_t(spec.width));
  append_le16(out, uint16_t(spec.height));
  out.push_back(uint8_t(spec.depth));
  out.push_back(uint8_t(spec.descriptor));
  for (int i = 0; i < spec.id_length; ++i) out.push_back(uint8_t('A' + i % 26));
  for (int i = 0; i < spec.map_length * ((spec.map_entry_bits + 7) / 8); ++i) out.push_back(0xEE);
  const std::vector<Rgb>& px = spec.pixels;
  if (spec.type == 10) {
    size_t i = 0;
    while (i < px.size()) {
      size_t n = 1;
      while (i + n < px.size() && n < 128 && Same(px[i + n], px[i])) ++n;
      if (n > 1 || spec.runs_only) {
        out.push_back(uint8_t(0x80 | (n - 1)));
        AppendTgaPixel(out, spec.depth, px[i]);
      } else {
        // A raw packet of the following pixels up to the next pair of equal ones.
        size_t m = 1;
        while (i + m < px.size() && m < 128 && !(i + m + 1 < px.size() && Same(px[i + m], px[i + m + 1]))) ++m;
        out.push_back(uint8_t(m - 1));
        for (size_t k = 0; k < m; ++k) AppendTgaPixel(out, spec.depth, px[i + k]);
        n = m;
      }
      i += n;
    }
  } else {
    for (const Rgb& c : px) AppendTgaPixel(out, spec.depth, c);
  }
  if (spec.cut_at < out.size()) out.resize(spec.cut_at);
  return out;
}

Bytes MakePlainCel(const CelSpec& spec) {
  Bytes out(32, 0);
  put_le16(out.data(), 0x9119);
  put_le16(out.data() + 2, uint16_t(spec.width));
  put_le16(out.data() + 4, uint16_t(spec.height));
  out[10] = 8;  // depth
  std::vector<Rgb> palette = spec.palette;
  palette.resize(256, Rgb{0, 0, 0});
  AppendTable(out, palette);
  out.insert(out.end(), spec.indices.begin(), spec.indices.end());
  return out;
}

Bytes MakeFlcCel(int width, int height, const std::vector<FlcChunk>& chunks) {
  Bytes out(128, 0);
  put_le16(out.data() + 4, 0xAF12);
  put_le16(out.data() + 6, 1);  // frames
  put_le16(out.data() + 8, uint16_t(width));
  put_le16(out.data() + 10, uint16_t(height));
  put_le16(out.data() + 12, 8);
  put_le32(out.data() + 80, 128);
  size_t frame_at = out.size();
  out.resize(out.size() + 16, 0);
  put_le16(out.data() + frame_at + 4, 0xF1FA);
  put_le16(out.data() + frame_at + 6, uint16_t(chunks.size()));
  for (const FlcChunk& c : chunks) {
    size_t pad = c.pad_to_even && c.body.size() % 2 ? 1 : 0;
    append_le32(out, c.size_override ? c.size_override : uint32_t(6 + c.body.size() + pad));
    append_le16(out, c.type);
    out.insert(out.end(), c.body.begin(), c.body.end());
    if (pad) out.push_back(0);
  }
  put_le32(out.data() + frame_at, uint32_t(out.size() - frame_at));
  put_le32(out.data(), uint32_t(out.size()));
  return out;
}

Bytes FlcColourBody(const std::vector<std::pair<int, std::vector<Rgb>>>& packets) {
  Bytes out;
  append_le16(out, uint16_t(packets.size()));
  for (const auto& p : packets) {
    out.push_back(uint8_t(p.first));
    out.push_back(uint8_t(p.second.size() == 256 ? 0 : p.second.size()));
    AppendTable(out, p.second);
  }
  return out;
}

Bytes FlcCopyBody(const std::vector<uint8_t>& indices) { return Bytes(indices.begin(), indices.end()); }

Bytes FlcByteRunBody(const std::vector<std::vector<int8_t>>& row_codes) {
  Bytes out;
  for (const auto& row : row_codes) {
    out.push_back(0);  // packet count, not used by readers
    for (int8_t v : row) out.push_back(uint8_t(v));
  }
  return out;
}

Bytes DibRows(const std::vector<Bytes>& top_first_rows) {
  Bytes out;
  for (size_t r = top_first_rows.size(); r-- > 0;) {
    Bytes row = top_first_rows[r];
    row.resize((row.size() + 3) / 4 * 4, 0);
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

Bytes MakeBmp(const BmpSpec& spec) {
  Bytes info;
  if (spec.header_size == 12) {
    append_le32(info, 12);
    append_le16(info, uint16_t(spec.width));
    append_le16(info, uint16_t(spec.height));
    append_le16(info, 1);
    append_le16(info, uint16_t(spec.bits));
  } else {
    append_le32(info, uint32_t(spec.header_size));
    append_le32(info, uint32_t(spec.width));
    append_le32(info, uint32_t(spec.height));
    append_le16(info, 1);
    append_le16(info, uint16_t(spec.bits));
    append_le32(info, spec.compression);
    append_le32(info, uint32_t(spec.bits_data.size()));
    append_le32(info, 2835);
    append_le32(info, 2835);
    append_le32(info, spec.clr_used);
    append_le32(info, 0);
    if (spec.header_size > 40) {
      for (uint32_t m : spec.masks) append_le32(info, m);
      info.resize(size_t(spec.header_size), 0);
    } else if (spec.compression == 3) {
      for (uint32_t m : spec.masks) append_le32(info, m);  // behind the 40-byte header
    }
  }
  for (const Rgb& c : spec.table) {
    info.insert(info.end(), {c.b, c.g, c.r});
    if (spec.header_size != 12) info.push_back(0);
  }
  info.resize(info.size() + spec.gap, 0xCC);
  Bytes out = {'B', 'M'};
  size_t offset = 14 + info.size();
  size_t total = offset + spec.bits_data.size();
  append_le32(out, spec.file_size >= 0 ? uint32_t(spec.file_size) : uint32_t(total));
  append_le32(out, 0);
  append_le32(out, uint32_t(offset));
  out.insert(out.end(), info.begin(), info.end());
  out.insert(out.end(), spec.bits_data.begin(), spec.bits_data.end());
  return out;
}
