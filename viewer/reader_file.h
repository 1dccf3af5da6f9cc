#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

// What the viewer's readers share: a buffered binary input file that reports the end of
// the file instead of returning stale bytes, the colour tables the GIF and CEL readers
// fill, and the size limits every reader checks before it allocates.

// The three 256-byte colour arrays (components 0..255) filled by the GIF and CEL readers
// before the header block's colour table is built. Each load starts from zeroed ones.
struct ColourTables {
  uint8_t red[256];
  uint8_t green[256];
  uint8_t blue[256];
};

// The largest pixel block a load asks for; anything bigger is reported as out of memory
// before any allocation (it could not be held by the 32-bit program either).
constexpr uint64_t kMaxPixelBytes = uint64_t(256) << 20;

// Row stride of the made headers, in pixels: the width rounded up to a multiple of 4.
inline int32_t StrideOf(int32_t width) { return (width + 3) / 4 * 4; }

// A read-only file with its own buffer. get8() answers -1 at the end of the file (or on a
// read error); read() answers the number of bytes it copied.
class ImageFile {
 public:
  ImageFile() = default;
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;
  ~ImageFile() { close(); }

  bool open(const char* name) {
    file_ = std::fopen(name, "rb");
    pos_ = len_ = 0;
    base_ = 0;
    return file_ != nullptr;
  }
  // False when closing reported an error.
  bool close() {
    if (!file_) return true;
    bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
  }

  int get8() {
    if (pos_ == len_ && !fill()) return -1;
    return buf_[pos_++];
  }
  // Little-endian 16-bit value; -1 at the end of the file.
  long get16() {
    int lo = get8();
    int hi = get8();
    return lo < 0 || hi < 0 ? -1 : long(lo | (hi << 8));
  }
  size_t read(void* dst, size_t n) {
    if (n <= len_ - pos_) {  // the common case: all in the buffer
      std::memcpy(dst, buf_ + pos_, n);
      pos_ += n;
      return n;
    }
    auto* out = static_cast<uint8_t*>(dst);
    size_t done = 0;
    while (done < n) {
      if (pos_ == len_) {
        // Large reads go straight to the destination.
        if (n - done >= sizeof buf_) {
          size_t got = std::fread(out + done, 1, n - done, file_);
          base_ += got;
          done += got;
          break;
        }
        if (!fill()) break;
      }
      size_t take = len_ - pos_ < n - done ? len_ - pos_ : n - done;
      std::memcpy(out + done, buf_ + pos_, take);
      pos_ += take;
      done += take;
    }
    return done;
  }
  // Skips n bytes; false when the file ends first.
  bool skip(uint64_t n) {
    uint64_t here = tell();
    uint64_t size = this->size();
    if (n > size - (here < size ? here : size)) {
      seek(size);
      return false;
    }
    return seek(here + n);
  }
  uint64_t tell() const { return base_ - (len_ - pos_); }
  bool seek(uint64_t offset) {
    if (offset > uint64_t(LONG_MAX_OFFSET)) return false;
    if (std::fseek(file_, long(offset), SEEK_SET) != 0) return false;
    base_ = offset;
    pos_ = len_ = 0;
    return true;
  }
  // Length of the whole file (keeps the reading position).
  uint64_t size() {
    uint64_t here = tell();
    if (std::fseek(file_, 0, SEEK_END) != 0) return here;
    long end = std::ftell(file_);
    seek(here);
    return end < 0 ? here : uint64_t(end);
  }

 private:
  static constexpr long LONG_MAX_OFFSET = 0x7FFFFFFF;
  bool fill() {
    len_ = std::fread(buf_, 1, sizeof buf_, file_);
    pos_ = 0;
    base_ += len_;
    return len_ > 0;
  }
  std::FILE* file_ = nullptr;
  uint8_t buf_[16384];
  size_t pos_ = 0;
  size_t len_ = 0;
  uint64_t base_ = 0;  // file offset just past the buffered bytes
};
