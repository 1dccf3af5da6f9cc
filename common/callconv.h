#pragma once
// Calling conventions of the host interfaces. On 32-bit x86 they matter (the callee pops
// the arguments of a stdcall function, the caller those of a cdecl one); elsewhere they
// are ignored, so the native build compiles the same declarations.
#if defined(__i386__)
#define ZEL_CDECL __attribute__((cdecl))
#define ZEL_STDCALL __attribute__((stdcall))
#else
#define ZEL_CDECL
#define ZEL_STDCALL
#endif

// Host-owned records carry static_asserts on their layout; offsets only hold where
// pointers are 32 bits.
#define ZEL_IS_32BIT (sizeof(void*) == 4)
