// Replay driver for the fuzz targets in the ordinary native builds (g++, with or without
// the sanitizers): runs LLVMFuzzerTestOneInput over every file named on the command line
// (a directory stands for the regular files in it), then over a fixed number of mutations
// of each, so that a test run explores a little around its seeds and not only replays them.
// The mutations come from a pseudo-random generator seeded by the input's bytes: every run
// tries the same inputs, and a failure names the seed file and the mutation number.
//
//   NAME [-mutations=N] [-print] FILE|DIR...
//
// -print writes every mutated input it is about to run to stdout in hex (to keep a failing
// case as a file). Exit status 0 when every input ran, 2 on a usage error or an unreadable
// file; a fault in a target aborts the process.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

struct Rng {
  uint64_t s;
  uint32_t next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return uint32_t(s >> 32);
  }
  size_t below(size_t n) { return n == 0 ? 0 : size_t(next()) % n; }
};

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h ? h : 1;
}

// Values that sit on the edges readers care about: signs, byte and word limits, small counts.
const uint32_t kInteresting[] = {0,    1,    2,     4,      16,     31,     32,         64,        127,
                                 128,  255,  256,   512,    1023,   1024,   1025,       3192,      32767,
                                 32768, 65535, 65536, 0x7fffffff, 0x80000000u, 0xffffffffu};
const char kTextBytes[] = " \t\n-+.0123456789e#/{}[]";

void mutate_once(std::vector<uint8_t>& b, Rng& r, size_t max_size) {
  switch (r.below(8)) {
    case 0:  // flip a bit
      if (!b.empty()) b[r.below(b.size())] ^= uint8_t(1u << r.below(8));
      break;
    case 1:  // a random byte
      if (!b.empty()) b[r.below(b.size())] = uint8_t(r.next());
      break;
    case 2:  // a byte that means something in text
      if (!b.empty()) b[r.below(b.size())] = uint8_t(kTextBytes[r.below(sizeof kTextBytes - 1)]);
      break;
    case 3: {  // an edge value as a little-endian word or long
      if (b.empty()) break;
      uint32_t v = kInteresting[r.below(sizeof kInteresting / sizeof kInteresting[0])];
      size_t width = r.below(2) ? 4 : 2;
      size_t at = r.below(b.size());
      for (size_t i = 0; i < width && at + i < b.size(); ++i) b[at + i] = uint8_t(v >> (8 * i));
      break;
    }
    case 4:  // cut the tail
      b.resize(r.below(b.size() + 1));
      break;
    case 5: {  // remove a stretch
      if (b.empty()) break;
      size_t at = r.below(b.size());
      size_t n = 1 + r.below(std::min<size_t>(b.size() - at, 64));
      b.erase(b.begin() + long(at), b.begin() + long(at + n));
      break;
    }
    case 6: {  // repeat a stretch in place
      if (b.empty() || b.size() >= max_size) break;
      size_t at = r.below(b.size());
      size_t n = 1 + r.below(std::min<size_t>(b.size() - at, std::min<size_t>(64, max_size - b.size())));
      std::vector<uint8_t> piece(b.begin() + long(at), b.begin() + long(at + n));
      b.insert(b.begin() + long(r.below(b.size() + 1)), piece.begin(), piece.end());
      break;
    }
    default:  // insert a random byte
      if (b.size() < max_size) b.insert(b.begin() + long(r.below(b.size() + 1)), uint8_t(r.next()));
      break;
  }
}

bool read_file(const std::string& path, std::vector<uint8_t>* out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out->clear();
  uint8_t buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

// The regular files a command-line argument stands for, in name order.
bool expand(const std::string& arg, std::vector<std::string>* files) {
  struct stat st;
  if (stat(arg.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    files->push_back(arg);
    return true;
  }
  DIR* d = opendir(arg.c_str());
  if (!d) return false;
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    std::string path = arg + "/" + e->d_name;
    if (e->d_name[0] != '.' && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(path);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  files->insert(files->end(), names.begin(), names.end());
  return true;
}

void run(const std::vector<uint8_t>& bytes) {
  // A copy of exactly the input's size, so that a read past its end shows under ASan.
  std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() ? bytes.size() : 1]);
  if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
  LLVMFuzzerTestOneInput(copy.get(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  long mutations = 200;
  bool print = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("-mutations=", 0) == 0) {
      mutations = std::strtol(a.c_str() + 11, nullptr, 10);
      if (mutations < 0) mutations = 0;
    } else if (a == "-print") {
      print = true;
    } else if (!expand(a, &files)) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], a.c_str());
      return 2;
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: %s [-mutations=N] [-print] FILE|DIR...\n", argv[0]);
    return 2;
  }
  long runs = 0;
  for (const std::string& path : files) {
    std::vector<uint8_t> seed;
    if (!read_file(path, &seed)) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], path.c_str());
      return 2;
    }
    run(seed);
    ++runs;
    Rng rng{fnv1a(seed)};
    const size_t max_size = seed.size() * 2 + 64;
    for (long m = 0; m < mutations; ++m) {
      std::vector<uint8_t> bytes = seed;
      for (size_t k = 1 + rng.below(4); k > 0; --k) mutate_once(bytes, rng, max_size);
      if (print) {
        std::printf("%s #%ld:", path.c_str(), m);
        for (uint8_t b : bytes) std::printf(" %02x", b);
        std::printf("\n");
        std::fflush(stdout);
      }
      run(bytes);
      ++runs;
    }
  }
  std::printf("replayed %zu files and %ld mutations: %ld inputs\n", files.size(), runs - long(files.size()), runs);
  return 0;
}
