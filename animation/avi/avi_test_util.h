#pragma once
// Helpers for the AVI writer's native tests: scratch paths, a RIFF walker over written
// files, the layer sequence the export uses, and ffmpeg as the independent decoder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "animation/avi/msvideo1.h"
#include "animation/avi/riff_avi.h"
#include "animation/avi/vfw_layer.h"
#include "common/bytes.h"

namespace avitest {

inline std::string scratch(const std::string& name) {
  const char* build = std::getenv("ZEL_BUILD_DIR");
  std::string dir = std::string(build ? build : "/tmp") + "/avi_scratch";
  std::string cmd = "mkdir -p '" + dir + "'";
  if (std::system(cmd.c_str()) != 0) return "/tmp/" + name;
  return dir + "/" + name;
}

inline std::vector<uint8_t> read_file(const std::string& path) {
  std::vector<uint8_t> data;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return data;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
  std::fclose(f);
  return data;
}

// What the walker found in an AVI file.
struct AviFacts {
  bool ok = false;
  std::vector<uint8_t> avih, strh, strf;
  struct Entry {
    uint32_t id, flags, offset, size;
  };
  std::vector<Entry> index;
  std::vector<std::vector<uint8_t>> frames;  // '00dc' payloads in movi order
  uint32_t riff_size = 0;
  size_t file_size = 0;
  size_t movi_fourcc_at = 0;
  std::vector<size_t> chunk_at;              // file offset of each '00dc' header
};

inline void walk(const std::vector<uint8_t>& d, size_t at, size_t end, AviFacts* f) {
  while (at + 8 <= end) {
    uint32_t id = get_le32(&d[at]);
    uint32_t size = get_le32(&d[at + 4]);
    if (size > end - at - 8) return;
    size_t body = at + 8;
    if (id == fourcc('L', 'I', 'S', 'T') && size >= 4) {
      if (get_le32(&d[body]) == fourcc('m', 'o', 'v', 'i')) f->movi_fourcc_at = body;
      walk(d, body + 4, body + size, f);
    } else if (id == fourcc('a', 'v', 'i', 'h')) {
      f->avih.assign(d.begin() + long(body), d.begin() + long(body + size));
    } else if (id == fourcc('s', 't', 'r', 'h')) {
      f->strh.assign(d.begin() + long(body), d.begin() + long(body + size));
    } else if (id == fourcc('s', 't', 'r', 'f')) {
      f->strf.assign(d.begin() + long(body), d.begin() + long(body + size));
    } else if (id == fourcc('0', '0', 'd', 'c')) {
      f->chunk_at.push_back(at);
      f->frames.emplace_back(d.begin() + long(body), d.begin() + long(body + size));
    } else if (id == fourcc('i', 'd', 'x', '1')) {
      for (size_t p = body; p + 16 <= body + size; p += 16)
        f->index.push_back({get_le32(&d[p]), get_le32(&d[p + 4]), get_le32(&d[p + 8]), get_le32(&d[p + 12])});
    }
    at = body + size + (size & 1);
  }
}

inline AviFacts read_avi(const std::string& path) {
  AviFacts f;
  std::vector<uint8_t> d = read_file(path);
  f.file_size = d.size();
  if (d.size() < 12 || get_le32(&d[0]) != fourcc('R', 'I', 'F', 'F') || get_le32(&d[8]) != fourcc('A', 'V', 'I', ' '))
    return f;
  f.riff_size = get_le32(&d[4]);
  walk(d, 12, d.size(), &f);
  f.ok = true;
  return f;
}

// The 1064-byte format the export hands to the compressed stream: an 8-bit BI_RGB
// bottom-up DIB header and its colour table.
inline std::vector<uint8_t> dib_format(int width, int height, const std::vector<uint8_t>& palette) {
  std::vector<uint8_t> f(1064, 0);
  put_le32(&f[0], 40);
  put_le32(&f[4], uint32_t(width));
  put_le32(&f[8], uint32_t(height));
  put_le16(&f[12], 1);
  put_le16(&f[14], 8);
  put_le32(&f[20], uint32_t(msv1_stride(width) * height));
  put_le32(&f[32], 256);
  put_le32(&f[36], 256);
  std::memcpy(&f[40], palette.data(), 1024);
  return f;
}

// Writes frames (DIB bits) through the layer the way the export does; answers the first
// non-zero result (0 when all went well).
inline int32_t write_through_layer(const std::string& path, int width, int height,
                                   const std::vector<uint8_t>& palette,
                                   const std::vector<std::vector<uint8_t>>& frames, long quality = 6500) {
  using namespace vfw;
  int32_t rc = AVIFileInit();
  File* file = nullptr;
  Stream* raw = nullptr;
  Stream* packed = nullptr;
  int stride = msv1_stride(width);
  if (rc == kOk) rc = AVIFileOpenA(&file, path.c_str(), kOfCreate | kOfWrite, nullptr);
  StreamInfo info{};
  info.fccType = kStreamVideo;
  info.dwScale = 1;
  info.dwRate = 15;
  info.dwSuggestedBufferSize = uint32_t(stride * height);
  info.rcFrame = Rect{0, 0, width, height};
  if (rc == kOk) rc = AVIFileCreateStream(file, &raw, &info);
  CompressOptions opt{};
  opt.fccType = kStreamVideo;
  opt.fccHandler = fourcc('M', 'S', 'V', 'C');
  opt.dwKeyFrameEvery = 7;
  opt.dwQuality = uint32_t(quality);
  opt.dwFlags = kCompressValid;
  if (rc == kOk) rc = AVIMakeCompressedStream(&packed, raw, &opt, nullptr);
  std::vector<uint8_t> format = dib_format(width, height, palette);
  if (rc == kOk) rc = AVIStreamSetFormat(packed, 0, format.data(), long(format.size()));
  for (size_t i = 0; rc == kOk && i < frames.size(); ++i)
    rc = AVIStreamWrite(packed, long(i), 1, frames[i].data(), long(frames[i].size()), kIfKeyFrame, nullptr, nullptr);
  if (raw) AVIStreamRelease(raw);
  if (packed) AVIStreamRelease(packed);
  if (file) AVIFileRelease(file);
  AVIFileExit();
  return rc;
}

// What the encoder shows for each frame, from an encoder run beside the layer with the
// same settings (the compressor is deterministic).
inline std::vector<std::vector<uint8_t>> shown_frames(int width, int height, const std::vector<uint8_t>& palette,
                                                      const std::vector<std::vector<uint8_t>>& frames,
                                                      long quality = 6500) {
  Msv1Encoder enc;
  msv1_init(&enc, width, height, palette.data(), quality, 7);
  std::vector<std::vector<uint8_t>> out;
  std::vector<uint8_t> packet;
  for (const auto& f : frames) {
    packet.clear();
    msv1_encode_frame(&enc, f.data(), &packet);
    out.push_back(enc.shown);
  }
  return out;
}

// ffmpeg's decoding of a file as raw frames (pal8 frames are followed by their 1024-byte
// palette). False when ffmpeg fails.
inline bool ffmpeg_decode(const std::string& path, const char* pix_fmt, std::vector<uint8_t>* out) {
  std::string raw = path + "." + pix_fmt + ".raw";
  std::string cmd = "ffmpeg -nostdin -v error -y -i '" + path + "' -f rawvideo -pix_fmt " + pix_fmt + " '" + raw + "'";
  if (std::system(cmd.c_str()) != 0) return false;
  *out = read_file(raw);
  std::remove(raw.c_str());
  return true;
}

// First line of a command's output.
inline std::string command_line(const std::string& cmd) {
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return "";
  char buf[512] = {};
  std::string s = std::fgets(buf, sizeof buf, p) ? buf : "";
  pclose(p);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

}  // namespace avitest
