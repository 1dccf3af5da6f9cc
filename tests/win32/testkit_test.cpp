#include <gtest/gtest.h>

#include "tests/win32/testkit.h"

namespace {
int __stdcall three_stdcall(int a, int b, int c) { return a * 100 + b * 10 + c; }
int __cdecl three_cdecl(int a, int b, int c) { return a + b + c; }
}  // namespace

TEST(CallProbe, MeasuresTheArgumentBytesTheCalleeRemoves) {
  const uint32_t args[] = {1, 2, 3};
  uint32_t ret = 0;
  EXPECT_EQ(call_probe((const void*)&three_stdcall, args, 3, &ret), 12u);
  EXPECT_EQ(ret, 123u);
  EXPECT_EQ(call_probe((const void*)&three_cdecl, args, 3, &ret), 0u);
  EXPECT_EQ(ret, 6u);
}

TEST(UiScript, AnswersAMessageBoxAndSeesItsText) {
  std::string seen;
  int result = 0;
  {
    UiScript script({{"#32770", "Flic", expect_text_then("", press(IDNO), &seen)}});
    result = MessageBoxA(nullptr, "Delete Temporary files", "Flic", MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL);
    EXPECT_EQ(script.steps_done(), 1u);
    EXPECT_TRUE(script.unexpected().empty());
  }
  EXPECT_EQ(result, IDNO);
  EXPECT_EQ(seen, "Delete Temporary files");
}
