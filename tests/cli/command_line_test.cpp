// The command line as every system splits it.
#include <gtest/gtest.h>

#include "cli/cli_command.h"

namespace kavira::cli {
namespace {

TEST(CommandLine, APathThatBeginsWithASlashIsNoOption) {
  // Refused as a journal that cannot be read (4), not as an unknown option (2): on Windows CLI11
  // would take "/..." for an option, and wine hands the program such paths.
  EXPECT_EQ(RunCommandLine({"journal", "/no/such/folder/2026-12-08_12-00-00.K3j"}), kExitFile);
}

}  // namespace
}  // namespace kavira::cli
