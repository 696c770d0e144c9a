// An entry point of a library loaded on first use, typed as declared.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/win_handles.h"

namespace {

TEST(EntryPoint, FoundInItsLibraryAndNullWithoutIt) {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  ASSERT_NE(kernel32, nullptr);
  decltype(&::GetCurrentProcessId) current = nullptr;
  EXPECT_TRUE(win::FindEntryPoint(kernel32, "GetCurrentProcessId", current));
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(current(), GetCurrentProcessId());

  EXPECT_FALSE(win::FindEntryPoint(kernel32, "NoSuchEntryPoint", current));
  EXPECT_EQ(current, nullptr) << "a missing entry point leaves none behind";
  current = &::GetCurrentProcessId;
  EXPECT_FALSE(win::FindEntryPoint(nullptr, "GetCurrentProcessId", current)) << "a library that did not load";
  EXPECT_EQ(current, nullptr);
}

}  // namespace
