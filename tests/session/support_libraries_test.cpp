#include "session/support_libraries.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/engine/install_test_support.h"
#include "tests/support/temp_folder.h"

namespace maj::session {
namespace {

using engine::testing::InstallMachine;

TEST(SupportLibrariesTest, EachLibraryComesFromTheFirstFolderHoldingItAndOnlyAPlacedOneIsRegistered) {
  InstallMachine machine;
  machine.InstallRegsvr32();
  machine.Write(machine.bin() + "/unrar.dll", "already here");
  machine.Write(machine.app() + "/unrar.dll", "application copy");
  machine.Write(machine.app() + "/vbzip10.dll", "application copy");
  machine.Write(machine.systemFolder() + "/vbzip10.dll", "system copy");
  machine.Write(machine.systemFolder() + "/vszlib.dll", "system copy");

  PrepareSupportLibraries();

  EXPECT_EQ(testing::ReadFileText(machine.bin() + "/unrar.dll"), "already here");
  EXPECT_EQ(testing::ReadFileText(machine.bin() + "/vbzip10.dll"), "application copy");
  EXPECT_EQ(testing::ReadFileText(machine.bin() + "/vszlib.dll"), "system copy");
  // Found nowhere: an embedded copy is asked for (vbuzip10.dll) or not (7z.dll); neither leaves a file.
  EXPECT_FALSE(std::filesystem::exists(machine.bin() + "/vbuzip10.dll"));
  EXPECT_FALSE(std::filesystem::exists(machine.bin() + "/7z.dll"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(machine.bin()), {}), 3);
  ASSERT_EQ(machine.Calls().size(), 1u);
  EXPECT_NE(machine.Calls()[0].find("/s " + machine.bin() + "/vszlib.dll"), std::string::npos) << machine.Calls()[0];

  PrepareSupportLibraries();  // a library already in place is not registered again
  EXPECT_EQ(machine.Calls().size(), 1u);
}

}  // namespace
}  // namespace maj::session
