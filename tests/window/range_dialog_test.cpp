#include "ui/range_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "find_child.h"
#include "scripted_host.h"

namespace kavira {
namespace {

using test::ScriptedHost;

struct Fields {
  const char* pgmOd;
  const char* scOd;
  const char* pgmDo;
  const char* scDo;
};

QLineEdit* Field(const RangeDialog& d, const char* name) {
  return test::Child<QLineEdit>(d, QString::fromLatin1(name));
}

void Type(RangeDialog& d, const Fields& f) {
  Field(d, "programFrom")->setText(QString::fromUtf8(f.pgmOd));
  Field(d, "sceneFrom")->setText(QString::fromUtf8(f.scOd));
  Field(d, "programTo")->setText(QString::fromUtf8(f.pgmDo));
  Field(d, "sceneTo")->setText(QString::fromUtf8(f.scDo));
}

TEST(RangeDialog, OpensOnTheRangeAsItStands) {
  ScriptedHost host;
  std::uint32_t od = 0, to = 1021;
  RangeDialog d(od, to, host);
  EXPECT_EQ(Field(d, "programFrom")->text(), "1");
  EXPECT_EQ(Field(d, "sceneFrom")->text(), "1");
  EXPECT_EQ(Field(d, "programTo")->text(), "48");
  EXPECT_EQ(Field(d, "sceneTo")->text(), "14");
  EXPECT_EQ(d.windowTitle(), "Zakres scen");
  EXPECT_TRUE(test::Child<QPushButton>(d, "okButton")->isDefault());
}

TEST(RangeDialog, AcceptedRanges) {
  struct Case {
    Fields f;
    std::uint32_t od, to;
  };
  const Case cases[] = {
      {{"1", "1", "48", "14"}, 0, 1021},   {{"17", "1", "17", "16"}, 512, 527},
      {{"16", "32", "17", "1"}, 511, 512}, {{" 3 ", "5", "3", "5"}, 68, 68},
      {{"5", "20", "6", "1"}, 147, 160},  // a later program may start below the first scene
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.f.pgmOd << ":" << c.f.scOd << "-" << c.f.pgmDo << ":" << c.f.scDo);
    ScriptedHost host;
    std::uint32_t od = 0, to = 1021;
    RangeDialog d(od, to, host);
    Type(d, c.f);
    EXPECT_TRUE(d.confirm());
    EXPECT_EQ(od, c.od);
    EXPECT_EQ(to, c.to);
    EXPECT_TRUE(host.boxes.empty());
  }
}

TEST(RangeDialog, RefusedRangesNameTheFieldAndKeepTheRange) {
  struct Case {
    Fields f;
    const char* field;
    const char* text;
  };
  const Case cases[] = {
      {{"", "", "", ""}, "programFrom", "Numer programu musi zawierać się\npomiędzy 1 a 48 !"},
      {{"49", "1", "49", "1"}, "programFrom", "Numer programu musi zawierać się\npomiędzy 1 a 48 !"},
      {{"x", "1", "2", "1"}, "programFrom", "Numer programu musi zawierać się\npomiędzy 1 a 48 !"},
      {{"48", "15", "48", "14"}, "sceneFrom", "Scena musi zawierać się\npomiędzy 1 a 14 !"},
      {{"17", "17", "17", "1"}, "sceneFrom", "Scena musi zawierać się\npomiędzy 1 a 16 !"},
      {{"1", "0", "2", "1"}, "sceneFrom", "Scena musi zawierać się\npomiędzy 1 a 32 !"},
      {{"7", "1", "5", "1"}, "programTo", "Numer programu musi zawierać się\npomiędzy 7 a 48 !"},
      {{"7", "1", "49", "1"}, "programTo", "Numer programu musi zawierać się\npomiędzy 7 a 48 !"},
      {{"7", "1", "8", "33"}, "sceneTo", "Scena musi zawierać się\npomiędzy 1 a 32 !"},
      {{"7", "1", "8", "0"}, "sceneTo", "Scena musi zawierać się\npomiędzy 1 a 32 !"},
      // Within one program the last scene may not come before the first.
      {{"7", "10", "7", "9"}, "sceneTo", "Scena musi zawierać się\npomiędzy 10 a 32 !"},
      {{"20", "3", "20", "17"}, "sceneTo", "Scena musi zawierać się\npomiędzy 3 a 16 !"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ScriptedHost host;
    std::uint32_t od = 30, to = 40;
    RangeDialog d(od, to, host);
    d.show();
    d.activateWindow();
    Type(d, c.f);
    EXPECT_FALSE(d.confirm());
    EXPECT_EQ(od, 30U);
    EXPECT_EQ(to, 40U);
    EXPECT_EQ(host.boxes.size(), 1U);
    EXPECT_EQ(host.firstBox().text, c.text);
    EXPECT_EQ(host.firstBox().caption, "Ostrzeżenie :");
    EXPECT_EQ(host.firstBox().icon, Icon::Stop);
    EXPECT_EQ(d.focusWidget(), Field(d, c.field));
    EXPECT_EQ(Field(d, c.field)->selectedText(), Field(d, c.field)->text());
  }
}

TEST(RangeDialog, AllAndCancel) {
  ScriptedHost host;
  std::uint32_t od = 30, to = 40;
  {
    RangeDialog d(od, to, host);
    Type(d, {"99", "x", "", "1"});
    test::Child<QPushButton>(d, "allButton")->click();
    EXPECT_EQ(d.result(), RangeDialog::kConfirmed);
  }
  EXPECT_EQ(od, 0U);
  EXPECT_EQ(to, 1021U);
  od = 30;
  to = 40;
  {
    RangeDialog d(od, to, host);
    Type(d, {"2", "2", "3", "3"});
    test::Child<QPushButton>(d, "cancelButton")->click();
    EXPECT_EQ(d.result(), RangeDialog::kCancelled);
  }
  EXPECT_EQ(od, 30U);
  EXPECT_EQ(to, 40U);
  EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
}  // namespace kavira
