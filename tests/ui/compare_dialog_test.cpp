#include "ui/compare_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QClipboard>
#include <QLabel>
#include <QTableView>

#include "dialog_test_support.h"
#include "find_child.h"
#include "link/frames.h"

namespace kavira {
namespace {

class CompareDialogTest : public ::testing::Test {
 protected:
  CompareDialogTest() {
    pc->Sceny[514][36] = 10;  // program 17, scene 3, device 3, channel 5
    other->Sceny[514][36] = 12;
    pc->PgmFade[40] = 7;
    pc->Midi[70].word = 0x1403;
    other->Midi[70].word = 0x403;
  }

  void open(const ControllerImage& with) {
    dialog = std::make_unique<CompareDialog>(*pc, with, 0, kBlockCount - 1, QStringLiteral("Sterownik"));
    test::ShowActive(*dialog);
  }

  QAbstractItemModel* table() const {
    return test::Child<QTableView>(*dialog, QStringLiteral("differences"))->model();
  }
  QString count() const { return test::Child<QLabel>(*dialog, QStringLiteral("countLabel"))->text(); }
  QAbstractButton* copyButton() const {
    return test::Child<QAbstractButton>(*dialog, QStringLiteral("copyButton"));
  }
  QStringList row(int r) const {
    QStringList cells;
    for (int c = 0; c < table()->columnCount(); ++c)
      cells << table()->index(r, c).data().toString();
    return cells;
  }
  // The places of the rows shown.
  QStringList shownPlaces() const {
    QStringList places;
    for (int r = 0; r < table()->rowCount(); ++r)
      places << row(r).front();
    return places;
  }

  std::unique_ptr<ControllerImage> pc = test::ZeroImage();
  std::unique_ptr<ControllerImage> other = test::ZeroImage();
  std::unique_ptr<CompareDialog> dialog;
};

TEST_F(CompareDialogTest, ListsEachDifferenceWithItsPlaceAndBothValues) {
  open(*other);
  EXPECT_EQ(dialog->objectName(), "compareDialog");
  EXPECT_EQ(dialog->windowTitle(), "Porównanie");
  EXPECT_EQ(table()->headerData(2, Qt::Horizontal).toString(), "Sterownik");
  ASSERT_EQ(table()->rowCount(), 3);
  EXPECT_EQ(row(0), (QStringList{"program 17, scena 3, urządzenie 3, kanał 5", "10", "12"}));
  EXPECT_EQ(row(1), (QStringList{"Błąd weryfikacji fadingu : program 41", "7", "0"}));
  EXPECT_EQ(row(2), (QStringList{"Błąd weryfikacji : kanał MIDI 70", "1403", "403"}));
  EXPECT_EQ(dialog->differenceCount(), 3);
  EXPECT_EQ(count(), "Różnice : 3");
}

TEST_F(CompareDialogTest, TheFilterHidesRowsAndCopyTakesTheRowsShown) {
  open(*other);
  const QString scene = QStringLiteral("program 17, scena 3, urządzenie 3, kanał 5");
  const QString fade = QStringLiteral("Błąd weryfikacji fadingu : program 41");
  const QString midi = QStringLiteral("Błąd weryfikacji : kanał MIDI 70");
  const struct {
    const char* filter;
    QStringList shown;
    const char* count;
  } cases[] = {
      {"midi", {midi}, "Różnice : 3 (widoczne : 1)"},
      {"kanał 5", {scene}, "Różnice : 3 (widoczne : 1)"},
      {"PROGRAM", {scene, fade}, "Różnice : 3 (widoczne : 2)"},
      {"1403", {midi}, "Różnice : 3 (widoczne : 1)"},  // a value
      {"nic takiego", {}, "Różnice : 3 (widoczne : 0)"},
      {"", {scene, fade, midi}, "Różnice : 3"},
  };
  auto* filter = test::Child<QLineEdit>(*dialog, QStringLiteral("filterField"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filter);
    filter->setText(QString::fromUtf8(c.filter));  // typing cannot send Polish letters
    EXPECT_EQ(shownPlaces(), c.shown);
    EXPECT_EQ(count(), QString::fromUtf8(c.count));
    EXPECT_EQ(copyButton()->isEnabled(), !c.shown.empty());
  }
  test::Retype(filter, QStringLiteral("MIDI"));
  QApplication::clipboard()->clear();
  test::Click(copyButton());
  EXPECT_EQ(QApplication::clipboard()->text(),
            "Miejsce\tObraz PC\tSterownik\n"
            "Błąd weryfikacji : kanał MIDI 70\t1403\t403\n");
}

TEST_F(CompareDialogTest, EqualImagesSaySo) {
  open(*pc);
  EXPECT_EQ(table()->rowCount(), 0);
  EXPECT_EQ(count(), "Brak różnic");
  EXPECT_FALSE(copyButton()->isEnabled());
}

}  // namespace
}  // namespace kavira
