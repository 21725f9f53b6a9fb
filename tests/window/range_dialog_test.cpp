#include "ui/range_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

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

void Type(RangeDialog& d, const Fields& f) {
  d.field(101)->setText(QString::fromUtf8(f.pgmOd));
  d.field(102)->setText(QString::fromUtf8(f.scOd));
  d.field(104)->setText(QString::fromUtf8(f.pgmDo));
  d.field(105)->setText(QString::fromUtf8(f.scDo));
}

TEST(RangeDialog, OpensOnTheRangeAsItStands) {
  ScriptedHost host;
  std::uint32_t od = 0, to = 1021;
  RangeDialog d(od, to, host);
  EXPECT_EQ(d.field(101)->text(), "1");
  EXPECT_EQ(d.field(102)->text(), "1");
  EXPECT_EQ(d.field(104)->text(), "48");
  EXPECT_EQ(d.field(105)->text(), "14");
  EXPECT_EQ(d.windowTitle(), "Zakres scen");
  EXPECT_TRUE(d.okButton()->isDefault());
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
    ScriptedHost host;
    std::uint32_t od = 0, to = 1021;
    RangeDialog d(od, to, host);
    Type(d, c.f);
    EXPECT_TRUE(d.confirm()) << c.f.pgmOd << " " << c.f.scOd << " " << c.f.pgmDo << " " << c.f.scDo;
    EXPECT_EQ(od, c.od);
    EXPECT_EQ(to, c.to);
    EXPECT_TRUE(host.boxes.empty());
  }
}

TEST(RangeDialog, RefusedRangesNameTheFieldAndKeepTheRange) {
  struct Case {
    Fields f;
    int field;
    const char* text;
  };
  const Case cases[] = {
      {{"", "", "", ""}, 101, "Numer programu musi zawierać się\npomiędzy 1 a 48 !"},
      {{"49", "1", "49", "1"}, 101, "Numer programu musi zawierać się\npomiędzy 1 a 48 !"},
      {{"x", "1", "2", "1"}, 101, "Numer programu musi zawierać się\npomiędzy 1 a 48 !"},
      {{"48", "15", "48", "14"}, 102, "Scena musi zawierać się\npomiędzy 1 a 14 !"},
      {{"17", "17", "17", "1"}, 102, "Scena musi zawierać się\npomiędzy 1 a 16 !"},
      {{"1", "0", "2", "1"}, 102, "Scena musi zawierać się\npomiędzy 1 a 32 !"},
      {{"7", "1", "5", "1"}, 104, "Numer programu musi zawierać się\npomiędzy 7 a 48 !"},
      {{"7", "1", "49", "1"}, 104, "Numer programu musi zawierać się\npomiędzy 7 a 48 !"},
      {{"7", "1", "8", "33"}, 105, "Scena musi zawierać się\npomiędzy 1 a 32 !"},
      {{"7", "1", "8", "0"}, 105, "Scena musi zawierać się\npomiędzy 1 a 32 !"},
      // Within one program the last scene may not come before the first.
      {{"7", "10", "7", "9"}, 105, "Scena musi zawierać się\npomiędzy 10 a 32 !"},
      {{"20", "3", "20", "17"}, 105, "Scena musi zawierać się\npomiędzy 3 a 16 !"},
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
    ASSERT_EQ(host.boxes.size(), 1U);
    EXPECT_EQ(host.boxes[0].text, c.text);
    EXPECT_EQ(host.boxes[0].caption, "Ostrzeżenie :");
    EXPECT_EQ(host.boxes[0].icon, Icon::Stop);
    EXPECT_EQ(d.focusWidget(), d.field(c.field));
    EXPECT_EQ(d.field(c.field)->selectedText(), d.field(c.field)->text());
  }
}

TEST(RangeDialog, AllAndCancel) {
  ScriptedHost host;
  std::uint32_t od = 30, to = 40;
  {
    RangeDialog d(od, to, host);
    Type(d, {"99", "x", "", "1"});
    d.allButton()->click();
    EXPECT_EQ(d.result(), RangeDialog::kConfirmed);
  }
  EXPECT_EQ(od, 0U);
  EXPECT_EQ(to, 1021U);
  od = 30;
  to = 40;
  {
    RangeDialog d(od, to, host);
    Type(d, {"2", "2", "3", "3"});
    d.cancelButton()->click();
    EXPECT_EQ(d.result(), RangeDialog::kCancelled);
  }
  EXPECT_EQ(od, 30U);
  EXPECT_EQ(to, 40U);
  EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
}  // namespace kavira
