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

namespace {

// The LZW stream of `indices` (min code size s), before its split into sub-blocks.
Bytes GifLiteralCodes(const std::vector<uint8_t>& indices, int s) {
  const int clear = 1 << s;
  const size_t run = size_t(clear) - 2;  // literals per clear: the width stays s + 1
  std::vector<std::pair<int, int>> codes;
  for (size_t i = 0; i < indices.size(); ++i) {
    if (i % run == 0) codes.emplace_back(clear, s + 1);
    codes.emplace_back(indices[i] & (clear - 1), s + 1);
  }
  codes.emplace_back(clear + 1, s + 1);
  return PackCodes(codes);
}

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

}  // namespace

Bytes MakeGif(const GifPlan& plan) {
  Bytes out(plan.signature, plan.signature + 6);
  append_le16(out, uint16_t(plan.width));
  append_le16(out, uint16_t(plan.height));
  const int bits = TableBits(plan.palette.size());
  out.insert(out.end(), {uint8_t((plan.global_table ? 0x80 : 0) | (bits - 1)), 0, 0});
  if (plan.global_table) {
    std::vector<Rgb> table = plan.palette;
    table.resize(size_t(1) << bits, Rgb{0, 0, 0});
    AppendTable(out, table);
  }
  if (plan.comment) out.insert(out.end(), {0x21, 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 0});
  uint8_t flags = plan.interlaced_flag ? 0x40 : 0;
  std::vector<Rgb> local = plan.local_table;
  if (!local.empty()) {
    int local_bits = TableBits(local.size());
    local.resize(size_t(1) << local_bits, Rgb{0, 0, 0});
    flags |= uint8_t(0x80 | (local_bits - 1));
  }
  out.push_back(0x2C);  // the image descriptor, at 0, 0
  for (int v : {0, 0, plan.width, plan.height}) append_le16(out, uint16_t(v));
  out.push_back(flags);
  AppendTable(out, local);
  out.push_back(uint8_t(plan.min_code_size));
  int s = plan.min_code_size < 2 ? 2 : plan.min_code_size > 11 ? 11 : plan.min_code_size;
  Bytes raster = plan.raster.empty() ? GifLiteralCodes(plan.indices, s) : plan.raster;
  bool cut = plan.cut_raster_at < raster.size();
  if (cut) raster.resize(plan.cut_raster_at);
  AppendSubBlocks(out, raster, plan.sub_block, plan.zero_block_after_first);
  if (cut)
    out.pop_back();  // the file ends inside the raster
  else
    out.push_back(0x3B);
  return out;
}

namespace {

void AppendTgaPixel(Bytes& out, int depth, Rgb c) {
  if (depth == 16) {
    append_le16(out, uint16_t(((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3)));
    return;
  }
  out.insert(out.end(), {c.b, c.g, c.r});
  if (depth == 32) out.push_back(0xFF);
}

bool Same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

}  // namespace

Bytes MakeTga(const TgaPlan& plan) {
  Bytes out;
  out.push_back(uint8_t(plan.id_length));
  out.push_back(plan.map_length ? 1 : 0);
  out.push_back(uint8_t(plan.type));
  append_le16(out, 0);
  append_le16(out, uint16_t(plan.map_length));
  out.push_back(uint8_t(plan.map_entry_bits));
  append_le16(out, 0);
  append_le16(out, 0);
  append_le16(out, uint16_t(plan.width));
  append_le16(out, uint16_t(plan.height));
  out.push_back(uint8_t(plan.depth));
  out.push_back(uint8_t(plan.descriptor));
  for (int i = 0; i < plan.id_length; ++i) out.push_back(uint8_t('A' + i % 26));
  for (int i = 0; i < plan.map_length * ((plan.map_entry_bits + 7) / 8); ++i) out.push_back(0xEE);
  const std::vector<Rgb>& px = plan.pixels;
  if (plan.type == 10) {
    size_t i = 0;
    while (i < px.size()) {
      size_t n = 1;
      while (i + n < px.size() && n < 128 && Same(px[i + n], px[i])) ++n;
      if (n > 1 || plan.runs_only) {
        out.push_back(uint8_t(0x80 | (n - 1)));
        AppendTgaPixel(out, plan.depth, px[i]);
      } else {
        // A raw packet of the following pixels up to the next pair of equal ones.
        size_t m = 1;
        while (i + m < px.size() && m < 128 && !(i + m + 1 < px.size() && Same(px[i + m], px[i + m + 1]))) ++m;
        out.push_back(uint8_t(m - 1));
        for (size_t k = 0; k < m; ++k) AppendTgaPixel(out, plan.depth, px[i + k]);
        n = m;
      }
      i += n;
    }
  } else {
    for (const Rgb& c : px) AppendTgaPixel(out, plan.depth, c);
  }
  if (plan.cut_at < out.size()) out.resize(plan.cut_at);
  return out;
}

Bytes MakePlainCel(const CelPlan& plan) {
  Bytes out(32, 0);
  put_le16(out.data(), 0x9119);
  put_le16(out.data() + 2, uint16_t(plan.width));
  put_le16(out.data() + 4, uint16_t(plan.height));
  out[10] = 8;  // depth
  std::vector<Rgb> palette = plan.palette;
  palette.resize(256, Rgb{0, 0, 0});
  AppendTable(out, palette);
  out.insert(out.end(), plan.indices.begin(), plan.indices.end());
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

Bytes MakeBmp(const BmpPlan& plan) {
  Bytes info;
  if (plan.header_size == 12) {
    append_le32(info, 12);
    append_le16(info, uint16_t(plan.width));
    append_le16(info, uint16_t(plan.height));
    append_le16(info, 1);
    append_le16(info, uint16_t(plan.bits));
  } else {
    append_le32(info, uint32_t(plan.header_size));
    append_le32(info, uint32_t(plan.width));
    append_le32(info, uint32_t(plan.height));
    append_le16(info, 1);
    append_le16(info, uint16_t(plan.bits));
    append_le32(info, plan.compression);
    append_le32(info, uint32_t(plan.bits_data.size()));
    append_le32(info, 2835);
    append_le32(info, 2835);
    append_le32(info, plan.clr_used);
    append_le32(info, 0);
    // The masks: inside a longer header, or behind the 40-byte one for bit fields.
    if (plan.header_size > 40 || plan.compression == 3)
      for (uint32_t m : plan.masks) append_le32(info, m);
    if (plan.header_size > 40) info.resize(size_t(plan.header_size), 0);
  }
  for (const Rgb& c : plan.table) {
    info.insert(info.end(), {c.b, c.g, c.r});
    if (plan.header_size != 12) info.push_back(0);
  }
  info.resize(info.size() + plan.gap, 0xCC);
  Bytes out = {'B', 'M'};
  size_t offset = 14 + info.size();
  size_t total = offset + plan.bits_data.size();
  append_le32(out, plan.file_size >= 0 ? uint32_t(plan.file_size) : uint32_t(total));
  append_le32(out, 0);
  append_le32(out, uint32_t(offset));
  out.insert(out.end(), info.begin(), info.end());
  out.insert(out.end(), plan.bits_data.begin(), plan.bits_data.end());
  return out;
}
