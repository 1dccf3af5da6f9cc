#include "animation/avi/avi_export.h"

#include <cstring>

#include "animation/avi/msvideo1.h"
#include "animation/avi/vfw_layer.h"
#include "common/bytes.h"
#include "common/message_box.h"

namespace {

constexpr uint32_t kMinimumVersion = 0x010A;  // Video for Windows 1.10
constexpr size_t kHeaderBytes = 40;
constexpr size_t kFormatBytes = kHeaderBytes + 256 * 4;  // handed to the stream
constexpr uint32_t kOpenCreateWrite = vfw::kOfCreate | vfw::kOfWrite;  // 0x1001

// The AVI state of one call: the file, the uncompressed stream, the compressed stream made
// from it and the number of the next frame. Held once per library, as the writer is not
// re-entrant.
struct AviState {
  vfw::File* file = nullptr;
  vfw::Stream* stream = nullptr;
  vfw::Stream* compressed = nullptr;
  long frame = 0;
  int inits = 0;  // AVIFileInit calls to match with AVIFileExit
};

// What the frame loop's writer steps work on.
struct AviRun {
  const BuildAviArgs* args;
  const AviExportPlatform* platform;
  uint8_t* block;   // BITMAPINFOHEADER, 256 RGBQUAD, pixel bits
  size_t stride;
  size_t image_size;
};

AviState g_state;

void release_state(AviState* s) {
  if (s->stream) vfw::AVIStreamRelease(s->stream);
  s->stream = nullptr;
  if (s->compressed) vfw::AVIStreamRelease(s->compressed);
  s->compressed = nullptr;
  if (s->file) vfw::AVIFileRelease(s->file);
  s->file = nullptr;
  for (; s->inits > 0; --s->inits) vfw::AVIFileExit();
}

void open_avi(AviRun* run) {
  AviState* s = &g_state;
  *s = AviState();
  if ((vfw::VideoForWindowsVersion() >> 16) < kMinimumVersion) {
    if (run->platform->version_warning) run->platform->version_warning(run->platform->context);
    return;
  }
  const BuildAviArgs& a = *run->args;
  vfw::AVIFileInit();
  ++s->inits;
  vfw::StreamInfo info{};
  info.fccType = vfw::kStreamVideo;
  info.fccHandler = 0;
  info.dwScale = 1;
  info.dwRate = 15;
  info.dwSuggestedBufferSize = uint32_t(run->image_size);
  info.rcFrame = vfw::Rect{0, 0, a.width, a.height};
  vfw::CompressOptions options{};
  options.fccType = vfw::kStreamVideo;
  options.fccHandler = fourcc('M', 'S', 'V', 'C');
  options.dwKeyFrameEvery = 7;
  options.dwQuality = 6500;
  options.dwFlags = vfw::kCompressValid;
  if (vfw::AVIFileOpenA(&s->file, a.outputPath, kOpenCreateWrite, nullptr) != 0 ||
      vfw::AVIFileCreateStream(s->file, &s->stream, &info) != 0 ||
      vfw::AVIMakeCompressedStream(&s->compressed, s->stream, &options, nullptr) != 0 ||
      vfw::AVIStreamSetFormat(s->compressed, 0, run->block, long(kFormatBytes)) != 0)
    release_state(s);
}

void write_avi(AviRun* run) {
  AviState* s = &g_state;
  if (s->file && s->stream && s->compressed) {
    if (vfw::AVIStreamWrite(s->compressed, s->frame, 1, run->block + kFormatBytes, long(run->image_size),
                            vfw::kIfKeyFrame, nullptr, nullptr) != 0)
      release_state(s);
  }
  ++s->frame;
}

// Index row r (top = 0) goes to bitmap row height - 1 - r; the bytes past the width in
// each row stay 0.
void flip_into_bits(AviRun* run, const uint8_t* frame) {
  const size_t width = size_t(run->args->width), height = size_t(run->args->height);
  uint8_t* bits = run->block + kFormatBytes;
  for (size_t r = 0; r < height; ++r) std::memcpy(bits + (height - 1 - r) * run->stride, frame + r * width, width);
}

int step_start(void* context, const uint8_t* frame) {
  auto* run = static_cast<AviRun*>(context);
  flip_into_bits(run, frame);
  open_avi(run);
  write_avi(run);
  return 0;
}

int step_add(void* context, const uint8_t* frame) {
  auto* run = static_cast<AviRun*>(context);
  flip_into_bits(run, frame);
  write_avi(run);
  return 0;
}

// The last pass read the first frame again: it closes the file and is not written.
int step_finish(void* context, const uint8_t* frame) {
  auto* run = static_cast<AviRun*>(context);
  flip_into_bits(run, frame);
  release_state(&g_state);
  return 0;
}

void fill_block(uint8_t* block, const BuildAviArgs& a, const FrameSetRun& frames, size_t image_size) {
  std::memset(block, 0, kFormatBytes + image_size);
  put_le32(block, 40);                        // biSize
  put_le32(block + 4, uint32_t(a.width));
  put_le32(block + 8, uint32_t(a.height));    // positive: bottom-up rows
  put_le16(block + 12, 1);                    // biPlanes
  put_le16(block + 14, 8);                    // biBitCount
  put_le32(block + 16, 0);                    // BI_RGB
  put_le32(block + 20, uint32_t(image_size));
  put_le32(block + 32, 256);                  // biClrUsed
  put_le32(block + 36, 256);                  // biClrImportant
  for (int i = 0; i < 256; ++i) {
    uint8_t* q = block + kHeaderBytes + 4 * i;
    q[0] = uint8_t(frames.blue[i] * 4);
    q[1] = uint8_t(frames.green[i] * 4);
    q[2] = uint8_t(frames.red[i] * 4);
  }
}

}  // namespace

void RewriteAviPath(char* path) {
  if (!path) return;
  char* name = path;
  for (char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  char* dot = std::strrchr(name, '.');
  if (dot) *dot = '\0';
  std::strcat(path, ".avi");
}

int32_t BuildAviRun(const BuildAviArgs& args, const UiTable& ui, const AviExportPlatform& platform) {
  RewriteAviPath(args.outputPath);
  int64_t frames = int64_t(args.end) - int64_t(args.first);
  if (frames < 3) return int32_t(frames < INT32_MIN ? INT32_MIN : frames);
  if (!args.outputPath || !args.framePrefix || !args.colourCounts || !args.colourList) return 0;

  FrameSetRun run;
  FrameSetStartRun(&run, args, ui, platform.frames ? platform.frames : FrameSetStandardPlatform(),
                   kAviRowWords);

  // The frame reader's row buffer holds 1024 pixels: wider pictures cannot be read, so
  // they are refused before the host's arrays are touched and before any file exists.
  if (args.width < 1 || args.width > kAviMaxWidth || args.height < 1) {
    ui_message(ui, "Read failed on temporary file", "Error", mb::TaskModal);
    return 0;
  }
  const size_t width = size_t(args.width), height = size_t(args.height);
  const size_t stride = size_t(msv1_stride(args.width));
  size_t frame_bytes = 0, image_size = 0;
  uint8_t* frame = nullptr;
  if (checked_mul(width, height, SIZE_MAX / 2, &frame_bytes))
    frame = FrameSetAllocateFrame(run.platform, frame_bytes);
  if (!frame) return FrameSetOutOfMemory(&run);

  FrameSetBuildPalette(&run);

  uint8_t* block = nullptr;
  if (checked_mul(stride, height, SIZE_MAX / 2 - kFormatBytes, &image_size))
    block = static_cast<uint8_t*>(run.platform->allocate(kFormatBytes + image_size));
  if (!block) {
    run.platform->release(frame);
    return FrameSetOutOfMemory(&run);
  }
  fill_block(block, args, run, image_size);

  g_state = AviState();
  AviRun avi{&args, &platform, block, stride, image_size};
  FrameSetWriter writer{&avi, step_start, step_add, step_finish};
  FramesResult result = FrameSetRunFrames(&run, writer, frame, width);
  release_state(&g_state);  // after a failed read the file is still open
  if (result == FramesDone) DeleteFrameFiles(&run);
  run.platform->release(frame);
  run.platform->release(block);
  return 0;
}
