// The window program (organisation "Kavira", application "kaviraob") and kaviraob-cli (no
// organisation, its own name) keep their journals in one folder and both find the former one.
#include "platform/journal_folder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace kavira {
namespace {

TEST(JournalFolderTest, OneFolderWhateverTheProgramsNames) {
  std::vector<std::vector<std::filesystem::path>> seen;
  for (const auto& [organisation, application] :
       {std::pair{"Kavira", "kaviraob"}, std::pair{"", "kaviraob-cli"}}) {
    QCoreApplication::setOrganizationName(QString::fromLatin1(organisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(application));
    seen.push_back(JournalFolders());
    EXPECT_EQ(seen.back().front(), DefaultJournalFolder());
    EXPECT_EQ(QCoreApplication::organizationName().toStdString(), organisation);  // put back
  }
  ASSERT_EQ(seen[0], seen[1]);
  ASSERT_EQ(seen[0].size(), 2U);
  EXPECT_TRUE(seen[0][0].generic_string().ends_with("/kaviraob/journals")) << seen[0][0];
  EXPECT_EQ(seen[0][0].generic_string().find("Kavira/"), std::string::npos) << seen[0][0];
  EXPECT_TRUE(seen[0][1].generic_string().ends_with("Kavira/kaviraob/journals")) << seen[0][1];
}

}  // namespace
}  // namespace kavira
