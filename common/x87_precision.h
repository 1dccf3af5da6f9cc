#pragma once
// Plug-ins whose maths rely on extended-precision intermediates cannot trust the precision
// the host left the x87 FPU in (3D hosts often run it at single precision). An
// ExtendedPrecision object sets the precision control to a 64-bit mantissa for its lifetime
// and gives the host its own setting back. The control word is read directly and written
// only when it has to change, so the guard costs next to nothing per sample point.
// Elsewhere than 32-bit x86 long double arithmetic does not depend on a control word, and
// the guard does nothing.
struct ExtendedPrecision {
#if defined(__i386__)
  static constexpr unsigned short kPrecisionBits = 0x0300;
  unsigned short saved = 0;
  ExtendedPrecision() {
    __asm__ __volatile__("fnstcw %0" : "=m"(saved));
    if ((saved & kPrecisionBits) != kPrecisionBits) {
      unsigned short extended = saved | kPrecisionBits;
      __asm__ __volatile__("fldcw %0" : : "m"(extended));
    }
  }
  ~ExtendedPrecision() {
    if ((saved & kPrecisionBits) != kPrecisionBits) __asm__ __volatile__("fldcw %0" : : "m"(saved));
  }
  ExtendedPrecision(const ExtendedPrecision&) = delete;
  ExtendedPrecision& operator=(const ExtendedPrecision&) = delete;
#endif
};
