#pragma once
// The Video for Windows operations the AVI writer needs, built on our own RIFF writer and
// Microsoft Video 1 compressor, so that the same frames give the same file on every
// system. Every operation answers 0 on success and an AVIERR_* code otherwise.
//
// Supported: one file, written (OF_CREATE | OF_WRITE); one video stream in it; a
// compressed stream made from that stream with handler 'MSVC' or 'CRAM', whose format is
// an 8-bit BI_RGB DIB header with its colour table and whose samples are the DIB bits.
// The compressor makes frames 0, k, 2k, ... key frames (k = dwKeyFrameEvery) and codes
// at dwQuality; the file is completed when its last reference is released.
#include <cstdint>

#include "animation/avi/riff_avi.h"

namespace vfw {

constexpr int32_t kOk = 0;
constexpr int32_t kUnsupported = int32_t(0x80044065);
constexpr int32_t kBadFormat = int32_t(0x80044066);
constexpr int32_t kMemory = int32_t(0x80044067);
constexpr int32_t kInternal = int32_t(0x80044068);
constexpr int32_t kBadParam = int32_t(0x8004406A);
constexpr int32_t kBadSize = int32_t(0x8004406B);
constexpr int32_t kBadHandle = int32_t(0x8004406C);
constexpr int32_t kFileWrite = int32_t(0x8004406E);
constexpr int32_t kFileOpen = int32_t(0x8004406F);
constexpr int32_t kNoCompressor = int32_t(0x80044071);

constexpr uint32_t kOfWrite = 0x0001;
constexpr uint32_t kOfCreate = 0x1000;
constexpr uint32_t kIfKeyFrame = 0x10;             // AVIIF_KEYFRAME
constexpr uint32_t kCompressValid = 0x00000008;    // AVICOMPRESSF_VALID
constexpr uint32_t kStreamVideo = fourcc('v', 'i', 'd', 's');
constexpr uint32_t kVersion = 0x010A0000;          // 1.10 in the high 16 bits

struct Rect {
  int32_t left, top, right, bottom;
};

// AVISTREAMINFO.
struct StreamInfo {
  uint32_t fccType;
  uint32_t fccHandler;
  uint32_t dwFlags;
  uint32_t dwCaps;
  uint16_t wPriority;
  uint16_t wLanguage;
  uint32_t dwScale;
  uint32_t dwRate;
  uint32_t dwStart;
  uint32_t dwLength;
  uint32_t dwInitialFrames;
  uint32_t dwSuggestedBufferSize;
  uint32_t dwQuality;
  uint32_t dwSampleSize;
  Rect rcFrame;
  uint32_t dwEditCount;
  uint32_t dwFormatChangeCount;
  char szName[64];
};

// AVICOMPRESSOPTIONS.
struct CompressOptions {
  uint32_t fccType;
  uint32_t fccHandler;
  uint32_t dwKeyFrameEvery;
  uint32_t dwQuality;
  uint32_t dwBytesPerSecond;
  uint32_t dwFlags;
  void* lpFormat;
  uint32_t cbFormat;
  void* lpParms;
  uint32_t cbParms;
  uint32_t dwInterleaveEvery;
};

struct File;
struct Stream;

uint32_t VideoForWindowsVersion();
int32_t AVIFileInit();
int32_t AVIFileOpenA(File** file, const char* path, uint32_t mode, const void* handler);
int32_t AVIFileCreateStream(File* file, Stream** stream, const StreamInfo* info);
int32_t AVIMakeCompressedStream(Stream** compressed, Stream* source, const CompressOptions* options,
                                const void* handler);
int32_t AVIStreamSetFormat(Stream* stream, long position, const void* format, long size);
int32_t AVIStreamWrite(Stream* stream, long start, long samples, const void* buffer, long size,
                       uint32_t flags, long* samples_written, long* bytes_written);
// Release answers the references left (0 when the object is gone).
uint32_t AVIStreamRelease(Stream* stream);
uint32_t AVIFileRelease(File* file);
int32_t AVIFileExit();

// For tests: the version to report (0 = the real one), the number of AVIFileInit calls
// not yet matched by AVIFileExit, the objects alive, and a failure of the next write.
namespace test_hooks {
void set_version(uint32_t version);
int init_count();
int live_objects();
void fail_next_write();
}  // namespace test_hooks

}  // namespace vfw
