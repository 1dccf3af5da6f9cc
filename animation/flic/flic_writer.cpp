// The FLI/FLC file: header, frame records and the start / add / finish steps.
#include "animation/flic/flic_writer.h"

#include <algorithm>
#include <cstring>

#include "animation/flic/flic_encode.h"
#include "common/bytes.h"
#include "common/message_box.h"

namespace {

constexpr uint16_t kMagicFli = 0xAF11;
constexpr uint16_t kMagicFlc = 0xAF12;
constexpr uint16_t kFrameMagic = 0xF1FA;
constexpr uint16_t kChunkColour64 = 11;
constexpr uint16_t kChunkLineDelta = 12;
constexpr uint16_t kChunkByteRun = 15;
constexpr uint16_t kChunkCopy = 16;
constexpr uint16_t kChunkWordDelta = 7;
constexpr uint32_t kColourChunkSize = 778;
constexpr long kFliLimit = 60000;
constexpr uint32_t kCreator = 0x464C4942;

struct FlicWriter {
  FrameSetRun* run;
  FILE* file;
  bool flc;
  int width;        // bytes per line of the index frame (320 on the FLI canvas)
  int height;       // lines of the index frame
  int32_t speed;
  uint8_t header[128];
  uint32_t file_size;
  uint16_t frames;
  uint8_t* previous;
  uint8_t* record;
  size_t frame_bytes;
  // Copy chunks only where every reader takes them: rows a multiple of 4 bytes.
  bool copy_allowed;
};

bool write_all(FILE* f, const void* data, size_t n) { return std::fwrite(data, 1, n, f) == n; }

void build_header(FlicWriter* w) {
  uint8_t* h = w->header;
  std::memset(h, 0, 128);
  put_le32(h, w->file_size);
  put_le16(h + 4, w->flc ? kMagicFlc : kMagicFli);
  put_le16(h + 6, w->frames);
  put_le16(h + 8, uint16_t(w->width));
  put_le16(h + 10, uint16_t(w->height));
  put_le16(h + 12, 8);
  if (w->flc) {
    put_le32(h + 16, uint32_t(int64_t(w->speed) * 100 / 7));
    put_le32(h + 26, kCreator);
    put_le16(h + 38, 1);
    put_le16(h + 40, 1);
  } else {
    put_le16(h + 16, uint16_t(w->speed));
  }
}

// Chunk header at p: size and type.
void put_chunk(uint8_t* p, uint32_t size, uint16_t type) {
  put_le32(p, size);
  put_le16(p + 4, type);
}

// Finishes a record of `size` bytes with `chunks` chunks, writes it and counts it.
bool write_record(FlicWriter* w, uint32_t size, uint16_t chunks) {
  put_le32(w->record, size);
  put_le16(w->record + 4, kFrameMagic);
  put_le16(w->record + 6, chunks);
  std::memset(w->record + 8, 0, 8);
  w->frames = uint16_t(w->frames + 1);
  w->file_size += size;
  return write_all(w->file, w->record, size);
}

int start(void* context, const uint8_t* frame) {
  auto* w = static_cast<FlicWriter*>(context);
  w->file_size = 128;
  w->frames = 0;
  build_header(w);
  if (!write_all(w->file, w->header, 128)) return -1;

  uint8_t* p = w->record + 16;
  put_chunk(p, kColourChunkSize, kChunkColour64);
  put_le16(p + 6, 1);
  p[8] = 0;  // skip
  p[9] = 0;  // 256 colours
  for (int i = 0; i < 256; ++i) {
    p[10 + 3 * i] = w->run->red[i];
    p[11 + 3 * i] = w->run->green[i];
    p[12 + 3 * i] = w->run->blue[i];
  }
  uint32_t size = 16 + kColourChunkSize;
  uint8_t* chunk = w->record + size;
  uint8_t* data = chunk + 6;
  // FLI gives up above 60000 bytes (its 16-bit count never wraps: a line adds at most 641),
  // FLC above the raw frame.
  const uint32_t limit = w->flc ? uint32_t(w->frame_bytes) : uint32_t(kFliLimit);
  uint32_t total = 0;
  bool gave_up = false;
  for (int y = 0; y < w->height; ++y) {
    total += uint32_t(FlicByteRunLine(frame + size_t(y) * size_t(w->width), w->width, data + total));
    if (total > limit && w->copy_allowed) {
      gave_up = true;
      break;
    }
  }
  if (gave_up) {
    std::memcpy(data, frame, w->frame_bytes);
    put_chunk(chunk, uint32_t(6 + w->frame_bytes), kChunkCopy);
    size += uint32_t(6 + w->frame_bytes);
  } else {
    put_chunk(chunk, 6 + total, kChunkByteRun);
    size += 6 + total;
  }
  long first_offset = std::ftell(w->file);
  if (!write_record(w, size, 2)) return -1;
  if (w->flc) {
    put_le32(w->header + 80, uint32_t(first_offset));
    put_le32(w->header + 84, uint32_t(std::ftell(w->file)));
  }
  std::memcpy(w->previous, frame, w->frame_bytes);
  return 0;
}

int add(void* context, const uint8_t* frame) {
  auto* w = static_cast<FlicWriter*>(context);
  uint8_t* chunk = w->record + 16;
  uint8_t* data = chunk + 6;
  long result;
  bool copy;
  if (w->flc) {
    result = FlicWordDeltaFrame(frame, w->previous, w->width, w->height, data);
    copy = result > long(w->frame_bytes) && w->copy_allowed;
  } else {
    result = FlicDeltaFrame(frame, w->previous, w->width, w->height, kFliLimit, data);
    copy = result < 0;
  }
  uint32_t size = 16;
  uint16_t chunks = 0;
  if (copy) {
    // A copy chunk holds exactly the frame: no filler, or readers reject it.
    std::memcpy(data, frame, w->frame_bytes);
    put_chunk(chunk, uint32_t(6 + w->frame_bytes), kChunkCopy);
    size += uint32_t(6 + w->frame_bytes);
    chunks = 1;
  } else if (result > 0) {
    data[result] = 0;  // two filler bytes, counted in the chunk size
    data[result + 1] = 0;
    put_chunk(chunk, uint32_t(8 + result), w->flc ? kChunkWordDelta : kChunkLineDelta);
    size += uint32_t(8 + result);
    chunks = 1;
  }
  if (!write_record(w, size, chunks)) return -1;
  std::memcpy(w->previous, frame, w->frame_bytes);
  return 0;
}

int finish(void* context, const uint8_t* frame) {
  auto* w = static_cast<FlicWriter*>(context);
  if (add(context, frame) < 0) return -1;
  w->frames = uint16_t(w->frames - 1);  // the ring frame is not counted
  uint8_t offsets[8];
  std::memcpy(offsets, w->header + 80, 8);
  build_header(w);
  std::memcpy(w->header + 80, offsets, 8);
  put_le16(w->header + 14, 3);
  if (std::fseek(w->file, 0, SEEK_SET) != 0) return -1;
  if (!write_all(w->file, w->header, 128)) return -1;
  return 0;
}

void release(const FrameSetPlatform* platform, uint8_t* a, uint8_t* b, uint8_t* c) {
  platform->release(a);
  platform->release(b);
  platform->release(c);
}

}  // namespace

size_t FlicRecordBufferBytes(int width, int height) {
  const bool flc = FlicIsFlc(width, height);
  const int w = flc ? width : kFliWidth;
  const int h = flc ? height : kFliHeight;
  const size_t frame = size_t(w) * size_t(h);
  const size_t byte_run = size_t(h) * FlicByteRunLineBound(w);
  const size_t delta = flc ? FlicWordDeltaFrameBound(w, h) : FlicDeltaFrameBound(w, h);
  const size_t first = 16 + kColourChunkSize + 6 + std::max(frame, byte_run);
  const size_t later = 16 + 8 + std::max(frame, delta);
  return std::max(first, later);
}

int32_t BuildFli(const BuildFliArgs& args, const UiTable& ui, const FrameSetPlatform* platform) {
  const int64_t frames = int64_t(args.end) - int64_t(args.first);
  const int32_t count = int32_t(uint32_t(frames));
  if (frames < 3 || args.width > kFlicMaxWidth || args.height > kFlicMaxHeight) return count;
  // Outside what the host sends: nothing sensible to write.
  if (args.width < 1 || args.height < 1 || !args.outputPath || !args.framePrefix || !args.colourCounts ||
      !args.colourList)
    return count;
  if (!platform) platform = FrameSetStandardPlatform();

  FrameSetRun run;
  FrameSetStartRun(&run, args, ui, platform, kFlicRowWords);

  FlicWriter w{};
  w.run = &run;
  w.flc = FlicIsFlc(args.width, args.height);
  w.width = w.flc ? args.width : kFliWidth;
  w.height = w.flc ? args.height : kFliHeight;
  w.speed = args.speed < 0 ? 5 : args.speed;
  w.frame_bytes = size_t(w.width) * size_t(w.height);
  w.copy_allowed = w.width % 4 == 0;

  uint8_t* current = FrameSetAllocateFrame(platform, w.frame_bytes);
  if (!current) return FrameSetOutOfMemory(&run);
  w.previous = FrameSetAllocateFrame(platform, w.frame_bytes);
  w.record = w.previous ? static_cast<uint8_t*>(platform->allocate(FlicRecordBufferBytes(args.width, args.height)))
                        : nullptr;
  if (!w.previous || !w.record) {
    FrameSetOutOfMemory(&run);
    release(platform, current, w.previous, w.record);
    return 0;
  }

  FrameSetBuildPalette(&run);

  for (char* c = args.outputPath; *c; ++c)
    if (*c >= 'A' && *c <= 'Z') *c = char(*c - 'A' + 'a');
  w.file = platform->open(args.outputPath, "wb");
  if (!w.file) {
    ui_message(ui, "Flic file open failed", "Error", mb::TaskModal);
    release(platform, current, w.previous, w.record);
    return 0;
  }

  FrameSetWriter writer{&w, start, add, finish};
  FramesResult result = FrameSetRunFrames(&run, writer, current, size_t(w.width));
  // A close that fails loses the end of the file: that is a failed write too, and the frame
  // files must then stay.
  bool closed = std::fclose(w.file) == 0;
  if (result == FramesWriterFailed || (result == FramesDone && !closed))
    ui_message(ui, "Failed on flic write", "Error", mb::TaskModal);
  else if (result == FramesDone)
    DeleteFrameFiles(&run);
  release(platform, current, w.previous, w.record);
  return 0;
}
