#include "animation/avi/riff_avi.h"

#include "common/bytes.h"

namespace {

constexpr uint64_t kRiffLimit = 0xFFFFFFF0u;  // RIFF sizes are 32-bit

void append_fourcc(std::vector<uint8_t>& out, uint32_t code) { append_le32(out, code); }

// Appends a chunk header and returns the offset of its size field, patched later.
size_t open_list(std::vector<uint8_t>& out, uint32_t list, uint32_t type) {
  append_fourcc(out, list);
  size_t at = out.size();
  append_le32(out, 0);
  append_fourcc(out, type);
  return at;
}

void close_list(std::vector<uint8_t>& out, size_t size_at) {
  put_le32(out.data() + size_at, uint32_t(out.size() - size_at - 4));
}

// RIFF .. 'movi' fourcc, for `frames` frames, `movi_bytes` after the 'movi' fourcc and a
// whole file of `file_size` bytes.
std::vector<uint8_t> header(const RiffAviWriter& w, uint32_t frames, uint64_t movi_bytes, uint64_t file_size) {
  const RiffVideoStream& s = w.stream;
  uint32_t rate = s.rate ? s.rate : 1;
  uint32_t largest = w.largest_chunk;
  uint32_t suggested = s.suggested_buffer > largest ? s.suggested_buffer : largest;
  std::vector<uint8_t> out;
  append_fourcc(out, fourcc('R', 'I', 'F', 'F'));
  append_le32(out, uint32_t(file_size - 8));
  append_fourcc(out, fourcc('A', 'V', 'I', ' '));
  size_t hdrl = open_list(out, fourcc('L', 'I', 'S', 'T'), fourcc('h', 'd', 'r', 'l'));
  append_fourcc(out, fourcc('a', 'v', 'i', 'h'));
  append_le32(out, 56);
  append_le32(out, uint32_t((uint64_t(1000000) * s.scale + rate / 2) / rate));  // dwMicroSecPerFrame
  append_le32(out, uint32_t(uint64_t(largest) * rate / (s.scale ? s.scale : 1)));  // dwMaxBytesPerSec
  append_le32(out, 0);                       // dwPaddingGranularity
  append_le32(out, kAviHasIndex);            // dwFlags
  append_le32(out, frames);                  // dwTotalFrames
  append_le32(out, 0);                       // dwInitialFrames
  append_le32(out, w.has_stream ? 1 : 0);    // dwStreams
  append_le32(out, suggested);               // dwSuggestedBufferSize
  append_le32(out, uint32_t(s.width));
  append_le32(out, uint32_t(s.height));
  for (int i = 0; i < 4; ++i) append_le32(out, 0);  // dwReserved
  if (w.has_stream) {
    size_t strl = open_list(out, fourcc('L', 'I', 'S', 'T'), fourcc('s', 't', 'r', 'l'));
    append_fourcc(out, fourcc('s', 't', 'r', 'h'));
    append_le32(out, 56);
    append_fourcc(out, fourcc('v', 'i', 'd', 's'));
    append_le32(out, s.handler);
    append_le32(out, 0);          // dwFlags
    append_le16(out, 0);          // wPriority
    append_le16(out, 0);          // wLanguage
    append_le32(out, 0);          // dwInitialFrames
    append_le32(out, s.scale);
    append_le32(out, s.rate);
    append_le32(out, 0);          // dwStart
    append_le32(out, frames);     // dwLength
    append_le32(out, suggested);  // dwSuggestedBufferSize
    append_le32(out, s.quality);
    append_le32(out, 0);          // dwSampleSize
    append_le16(out, uint16_t(s.frame_left));
    append_le16(out, uint16_t(s.frame_top));
    append_le16(out, uint16_t(s.frame_right));
    append_le16(out, uint16_t(s.frame_bottom));
    append_fourcc(out, fourcc('s', 't', 'r', 'f'));
    append_le32(out, uint32_t(w.format.size()));
    out.insert(out.end(), w.format.begin(), w.format.end());
    if (w.format.size() & 1) out.push_back(0);
    close_list(out, strl);
  }
  close_list(out, hdrl);
  append_fourcc(out, fourcc('L', 'I', 'S', 'T'));
  append_le32(out, uint32_t(movi_bytes + 4));
  append_fourcc(out, fourcc('m', 'o', 'v', 'i'));
  return out;
}

bool put(RiffAviWriter* w, const void* data, size_t n) {
  if (w->failed) return false;
  if (n && std::fwrite(data, 1, n, w->file) != n) w->failed = true;
  w->size += n;
  return !w->failed;
}

}  // namespace

bool riff_avi_begin(RiffAviWriter* w, FILE* file, const RiffVideoStream* stream, const uint8_t* format,
                    size_t format_size) {
  *w = RiffAviWriter();
  w->file = file;
  if (stream && format && format_size < 0x10000) {
    w->has_stream = true;
    w->stream = *stream;
    w->format.assign(format, format + format_size);
  }
  std::vector<uint8_t> h = header(*w, 0, 0, 0);
  w->movi_fourcc_at = h.size() - 4;
  return put(w, h.data(), h.size());
}

bool riff_avi_add_frame(RiffAviWriter* w, const uint8_t* data, size_t size, bool key) {
  if (w->failed || !w->has_stream) return false;
  uint64_t padded = size + (size & 1);
  // Room for this chunk, the index entries so far plus one, and the idx1 header.
  uint64_t after = w->size + 8 + padded + 8 + 16 * (uint64_t(w->index.size()) + 1);
  if (after > kRiffLimit) return false;  // the file stays complete without this chunk
  uint8_t head[8];
  put_le32(head, fourcc('0', '0', 'd', 'c'));
  put_le32(head + 4, uint32_t(size));
  RiffIndexEntry e{key ? kAviKeyFrame : 0, uint32_t(w->size - w->movi_fourcc_at), uint32_t(size)};
  const uint8_t pad = 0;
  if (!put(w, head, 8) || !put(w, data, size) || ((size & 1) && !put(w, &pad, 1))) return false;
  w->index.push_back(e);
  if (size > w->largest_chunk) w->largest_chunk = uint32_t(size);
  return true;
}

bool riff_avi_finish(RiffAviWriter* w) {
  if (w->failed) return false;
  uint64_t movi_bytes = w->size - w->movi_fourcc_at - 4;
  std::vector<uint8_t> idx;
  append_fourcc(idx, fourcc('i', 'd', 'x', '1'));
  append_le32(idx, uint32_t(16 * w->index.size()));
  for (const RiffIndexEntry& e : w->index) {
    append_fourcc(idx, fourcc('0', '0', 'd', 'c'));
    append_le32(idx, e.flags);
    append_le32(idx, e.offset);
    append_le32(idx, e.size);
  }
  if (!put(w, idx.data(), idx.size())) return false;
  std::vector<uint8_t> h = header(*w, uint32_t(w->index.size()), movi_bytes, w->size);
  if (std::fseek(w->file, 0, SEEK_SET) != 0 || std::fwrite(h.data(), 1, h.size(), w->file) != h.size() ||
      std::fflush(w->file) != 0)
    w->failed = true;
  return !w->failed;
}
