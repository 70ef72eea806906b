#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include <regex>

namespace platform {
namespace {

class PlatformFileNameTest : public testing::TestWithParam<std::pair<const char*, const char*>> {};

// The second of each pair is the POSIX file name; Windows loads every name as it is.
TEST_P(PlatformFileNameTest, MapsOnlyATrailingDllSuffix) {
#if defined(_WIN32)
  EXPECT_EQ(DynamicLibrary::PlatformFileName(GetParam().first), GetParam().first);
#else
  EXPECT_EQ(DynamicLibrary::PlatformFileName(GetParam().first), GetParam().second);
#endif
}

INSTANTIATE_TEST_SUITE_P(Names, PlatformFileNameTest,
                         testing::Values(std::pair("QCWWAN.DLL", "libQCWWAN.so"),
                                         std::pair("/opt/v1.dll/X.Dll", "/opt/v1.dll/libX.so"),
                                         std::pair("X.dll.bak", "X.dll.bak"),
                                         std::pair("/opt/.dll", "/opt/.dll")));

// The test library lies in the bin folder, which is also this test's run path, so a bare name
// goes through the loader's search. Once loaded, it is also found as an already loaded library.
class DynamicLibraryLoadTest : public testing::TestWithParam<std::string> {};

TEST_P(DynamicLibraryLoadTest, LoadsByWindowsNameAndResolvesSymbols) {
  DynamicLibrary library, again;
  std::string error;
  EXPECT_FALSE(again.LoadIfAlreadyLoaded("NoSuchVeskLibrary.dll"));
  ASSERT_TRUE(library.Load(GetParam(), &error)) << error;
  const auto answer = reinterpret_cast<int (*)()>(library.Symbol("VeskTestLibraryAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(library.Symbol("NoSuchFunction"), nullptr);
  ASSERT_TRUE(again.LoadIfAlreadyLoaded(GetParam()));
  EXPECT_EQ(again.Symbol("VeskTestLibraryAnswer"), library.Symbol("VeskTestLibraryAnswer"));
  library.Unload();
  EXPECT_FALSE(library.IsLoaded());
  EXPECT_EQ(library.Symbol("VeskTestLibraryAnswer"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Paths, DynamicLibraryLoadTest,
                         testing::Values(std::string(VESK_TEST_BIN_DIR) + "/PlatformTestLibrary.dll",
                                         "PlatformTestLibrary.dll"));

TEST(DynamicLibraryTest, MissingFileFailsWithTheLoadersReason) {
  DynamicLibrary library;
  std::string error;
  EXPECT_FALSE(library.Load("NoSuchVeskLibrary.dll", &error));
  EXPECT_FALSE(library.IsLoaded());
  EXPECT_NE(error.find(DynamicLibrary::PlatformFileName("NoSuchVeskLibrary.dll")), std::string::npos)
      << error;
#if !defined(_WIN32)
  EXPECT_TRUE(
      std::regex_search(error, std::regex("^in the loader's search path \\(.*\\), then in (.*/) \\(.*\\), "
                                          "then in \\1vesk-plugin/ \\(")))
      << error;
#endif
}

#if !defined(_WIN32)
// bin/vesk-plugin/ holds a library found nowhere else and a PlatformTestLibrary answering 7, which the
// loader's search must hide as an installed vendor library hides the simulator.
TEST(DynamicLibraryTest, PrivateFolderIsSearchedOnlyAfterTheLoadersSearch) {
  DynamicLibrary privateOnly, shadowed;
  ASSERT_TRUE(privateOnly.Load("PlatformPrivateTestLibrary.dll") && shadowed.Load("PlatformTestLibrary.dll"));
  EXPECT_EQ(reinterpret_cast<int (*)()>(privateOnly.Symbol("VeskTestLibraryAnswer"))(), 7);
  EXPECT_EQ(reinterpret_cast<int (*)()>(shadowed.Symbol("VeskTestLibraryAnswer"))(), 42);
}
#endif

}  // namespace
}  // namespace platform
