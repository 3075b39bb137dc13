#include <WinPort.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>

TEST(WinPort, ModuleFileNameOfALoadedModuleAndOfTheExecutable)
{
  const std::string path = std::string(DGN_TEST_MODULE_DIR) + "/SampleModule.tx";
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  WCHAR buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameW(handle, buffer, MAX_PATH);
  EXPECT_EQ(winport::utf16ToUtf8(std::u16string(buffer, n)), path);
  EXPECT_EQ(buffer[n], u'\0');

  WCHAR tiny[5];
  EXPECT_EQ(GetModuleFileNameW(handle, tiny, 5), 4u) << "cut to the buffer, still terminated";
  EXPECT_EQ(std::u16string(tiny), winport::utf8ToUtf16(path.substr(0, 4)));
  dlclose(handle);

  const DWORD self = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  EXPECT_NE(winport::utf16ToUtf8(std::u16string(buffer, self)).find("sdk_tests"), std::string::npos);
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 0), 0u);
}

TEST(WinPort, SleepWaitsAtLeastTheGivenTime)
{
  const auto start = std::chrono::steady_clock::now();
  Sleep(20);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
}

TEST(WinPort, Utf16ToUtf8KeepsPairsAndReplacesLoneSurrogates)
{
  EXPECT_EQ(winport::utf16ToUtf8(u"\U0001F4D0"), "\xF0\x9F\x93\x90");
  EXPECT_EQ(winport::utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(winport::utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD") << "beyond U+10FFFF";
}
