#include "animation/avi/vfw_layer.h"

#include <cctype>
#include <cstdio>
#include <new>
#include <vector>

#include "animation/avi/msvideo1.h"
#include "common/bytes.h"

namespace vfw {

struct File {
  int refs = 1;
  FILE* fp = nullptr;
  RiffAviWriter riff;
  bool begun = false;      // header written
  bool has_stream = false;
};

struct Stream {
  int refs = 1;
  File* file = nullptr;      // the file stream's file
  Stream* source = nullptr;  // the compressed stream's source
  StreamInfo info{};
  uint32_t handler = 0;
  long quality = 0;
  int key_period = 1;
  bool has_format = false;
  Msv1Encoder encoder;
  size_t image_size = 0;
  long next_sample = 0;
  std::vector<uint8_t> packet;
};

namespace {

struct LayerState {
  uint32_t version_override = 0;
  int init_count = 0;
  int live = 0;
  bool fail_write = false;
};
LayerState g_layer;

uint32_t upper_fourcc(uint32_t code) {
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i)
    out |= uint32_t(std::toupper(int((code >> (8 * i)) & 0xFF))) << (8 * i);
  return out;
}

bool known_handler(uint32_t handler) {
  uint32_t h = upper_fourcc(handler);
  return h == fourcc('M', 'S', 'V', 'C') || h == fourcc('C', 'R', 'A', 'M') || h == fourcc('W', 'H', 'A', 'M');
}

void close_file(File* f) {
  if (!f->begun) riff_avi_begin(&f->riff, f->fp, nullptr, nullptr, 0);
  riff_avi_finish(&f->riff);
  std::fclose(f->fp);
  delete f;
  --g_layer.live;
}

// An 8-bit BI_RGB bitmap header with its colour table, bottom-up, as the compressor takes
// it; on success fills the compressed format (biCompression 'CRAM', 256 colours).
int32_t check_format(const uint8_t* p, long size, std::vector<uint8_t>* out, int* width, int* height) {
  if (!p || size < 40) return kBadFormat;
  uint32_t header = get_le32(p);
  int32_t w = int32_t(get_le32(p + 4));
  int32_t h = int32_t(get_le32(p + 8));
  uint16_t planes = get_le16(p + 12);
  uint16_t bits = get_le16(p + 14);
  uint32_t compression = get_le32(p + 16);
  uint32_t colours = get_le32(p + 32);
  if (colours == 0) colours = 256;
  if (header < 40 || header > 1024 || planes != 1 || bits != 8 || compression != 0 || colours > 256)
    return kBadFormat;
  if (w < 1 || h < 1 || w > 32768 || h > 32768) return kBadFormat;
  if (uint64_t(size) < uint64_t(header) + 4 * uint64_t(colours)) return kBadSize;
  out->assign(40 + 1024, 0);
  std::copy(p, p + 40, out->begin());
  put_le32(out->data(), 40);
  put_le32(out->data() + 16, fourcc('C', 'R', 'A', 'M'));
  put_le32(out->data() + 20, uint32_t(msv1_stride(w)) * uint32_t(h));
  put_le32(out->data() + 32, 256);
  put_le32(out->data() + 36, 256);
  std::copy(p + header, p + header + 4 * colours, out->begin() + 40);
  *width = w;
  *height = h;
  return kOk;
}

}  // namespace

uint32_t VideoForWindowsVersion() {
  return g_layer.version_override ? g_layer.version_override : kVersion;
}

int32_t AVIFileInit() {
  ++g_layer.init_count;
  return kOk;
}

int32_t AVIFileExit() {
  if (g_layer.init_count > 0) --g_layer.init_count;
  return kOk;
}

int32_t AVIFileOpenA(File** file, const char* path, uint32_t mode, const void* handler) {
  if (!file) return kBadParam;
  *file = nullptr;
  if (!path) return kBadParam;
  if (g_layer.init_count <= 0) return kInternal;
  if ((mode & (kOfCreate | kOfWrite)) != (kOfCreate | kOfWrite)) return kUnsupported;
  File* f = new (std::nothrow) File;
  if (!f) return kMemory;
  f->fp = std::fopen(path, "wb");
  if (!f->fp) {
    delete f;
    return kFileOpen;
  }
  ++g_layer.live;
  *file = f;
  return kOk;
}

int32_t AVIFileCreateStream(File* file, Stream** stream, const StreamInfo* info) {
  if (!stream) return kBadParam;
  *stream = nullptr;
  if (!file || !info) return kBadParam;
  if (info->fccType != kStreamVideo || file->has_stream) return kUnsupported;
  Stream* s = new (std::nothrow) Stream;
  if (!s) return kMemory;
  s->file = file;
  s->info = *info;
  ++file->refs;
  file->has_stream = true;
  ++g_layer.live;
  *stream = s;
  return kOk;
}

int32_t AVIMakeCompressedStream(Stream** compressed, Stream* source, const CompressOptions* options,
                                const void* handler) {
  if (!compressed) return kBadParam;
  *compressed = nullptr;
  if (!source || !options || !source->file) return kBadParam;
  if (options->fccType != kStreamVideo || !known_handler(options->fccHandler)) return kNoCompressor;
  Stream* s = new (std::nothrow) Stream;
  if (!s) return kMemory;
  s->source = source;
  s->info = source->info;
  s->handler = options->fccHandler;
  // A quality above the scale (the "default" request) is taken as 7500.
  s->quality = options->dwQuality <= 10000 ? long(options->dwQuality) : 7500;
  s->key_period = options->dwKeyFrameEvery > 0 && options->dwKeyFrameEvery < 0x10000
                      ? int(options->dwKeyFrameEvery) : 1;
  ++source->refs;
  ++g_layer.live;
  *compressed = s;
  return kOk;
}

int32_t AVIStreamSetFormat(Stream* stream, long position, const void* format, long size) {
  if (!stream) return kBadHandle;
  if (!stream->source) return kUnsupported;  // uncompressed samples are not written
  File* file = stream->source->file;
  if (stream->has_format || file->begun || position != 0) return kUnsupported;
  try {
    std::vector<uint8_t> strf;
    int width = 0, height = 0;
    int32_t rc = check_format(static_cast<const uint8_t*>(format), size, &strf, &width, &height);
    if (rc != kOk) return rc;
    if (!msv1_init(&stream->encoder, width, height, strf.data() + 40, stream->quality, stream->key_period))
      return kBadFormat;
    const StreamInfo& info = stream->source->info;
    RiffVideoStream desc;
    desc.handler = stream->handler;
    desc.scale = info.dwScale ? info.dwScale : 1;
    desc.rate = info.dwRate ? info.dwRate : 1;
    desc.quality = uint32_t(stream->quality);
    desc.suggested_buffer = info.dwSuggestedBufferSize;
    desc.frame_left = int16_t(info.rcFrame.left);
    desc.frame_top = int16_t(info.rcFrame.top);
    desc.frame_right = int16_t(info.rcFrame.right);
    desc.frame_bottom = int16_t(info.rcFrame.bottom);
    desc.width = width;
    desc.height = height;
    file->begun = true;
    if (!riff_avi_begin(&file->riff, file->fp, &desc, strf.data(), strf.size())) return kFileWrite;
    stream->image_size = size_t(msv1_stride(width)) * size_t(height);
    stream->has_format = true;
    return kOk;
  } catch (const std::bad_alloc&) {
    return kMemory;
  }
}

int32_t AVIStreamWrite(Stream* stream, long start, long samples, const void* buffer, long size,
                       uint32_t flags, long* samples_written, long* bytes_written) {
  if (samples_written) *samples_written = 0;
  if (bytes_written) *bytes_written = 0;
  if (!stream) return kBadHandle;
  if (!stream->source) return kUnsupported;
  if (!stream->has_format) return kBadFormat;
  if (start != stream->next_sample || samples != 1 || !buffer) return kBadParam;
  if (size < 0 || size_t(size) < stream->image_size) return kBadSize;
  if (g_layer.fail_write) {
    g_layer.fail_write = false;
    return kFileWrite;
  }
  // The compressor decides which frames are key frames; the caller's flag is a request
  // that every frame may serve as one, which the key-frame period already answers.
  (void)flags;
  try {
    stream->packet.clear();
    bool key = msv1_encode_frame(&stream->encoder, static_cast<const uint8_t*>(buffer), &stream->packet);
    ++stream->next_sample;
    if (!riff_avi_add_frame(&stream->source->file->riff, stream->packet.data(), stream->packet.size(), key))
      return kFileWrite;
  } catch (const std::bad_alloc&) {
    return kMemory;
  }
  if (samples_written) *samples_written = 1;
  if (bytes_written) *bytes_written = long(stream->packet.size());
  return kOk;
}

uint32_t AVIStreamRelease(Stream* stream) {
  if (!stream) return 0;
  if (--stream->refs > 0) return uint32_t(stream->refs);
  Stream* source = stream->source;
  File* file = stream->file;
  delete stream;
  --g_layer.live;
  if (source) AVIStreamRelease(source);
  if (file) AVIFileRelease(file);
  return 0;
}

uint32_t AVIFileRelease(File* file) {
  if (!file) return 0;
  if (--file->refs > 0) return uint32_t(file->refs);
  close_file(file);
  return 0;
}

namespace test_hooks {
void set_version(uint32_t version) { g_layer.version_override = version; }
int init_count() { return g_layer.init_count; }
int live_objects() { return g_layer.live; }
void fail_next_write() { g_layer.fail_write = true; }
}  // namespace test_hooks

}  // namespace vfw
