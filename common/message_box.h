#pragma once
#include <cstdint>

// Win32 message-box flags and answers as plain numbers, so core code and tests can name
// the exact values without <windows.h>.
namespace mb {
constexpr uint32_t Ok = 0x0000;
constexpr uint32_t OkCancel = 0x0001;
constexpr uint32_t YesNo = 0x0004;
constexpr uint32_t IconHand = 0x0010;
constexpr uint32_t IconQuestion = 0x0020;
constexpr uint32_t IconExclamation = 0x0030;
constexpr uint32_t IconAsterisk = 0x0040;
constexpr uint32_t SystemModal = 0x1000;
constexpr uint32_t TaskModal = 0x2000;
}  // namespace mb

// Answers (the dialog command ids a box returns).
namespace answer {
constexpr int Failed = 0;  // MessageBox itself failed
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
}  // namespace answer
