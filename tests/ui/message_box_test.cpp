#include <gtest/gtest.h>

#include <optional>

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialog_test_support.h"
#include "ui/bad_data_alert.h"
#include "ui/message_box.h"

namespace kavira {
namespace {

QStringList ButtonTexts(const QMessageBox& box) {
  QStringList texts;
  for (QAbstractButton* b : box.buttons())
    texts << b->text();
  return texts;
}

TEST(MessageBox, PolishButtonsInOrderWithTheirAnswers) {
  const struct {
    Buttons buttons;
    QStringList texts;
    std::vector<Answer> answers;
    Answer closing;
    std::optional<Answer> byDefault;  // the first button's when none
  } cases[] = {
      {Buttons::Ok, {"OK"}, {Answer::Ok}, Answer::Ok, {}},
      {Buttons::RetryCancel, {"Ponów próbę", "Anuluj"}, {Answer::Retry, Answer::Cancel}, Answer::Cancel, {}},
      {Buttons::YesNo, {"Tak", "Nie"}, {Answer::Yes, Answer::No}, Answer::No, {}},
      {Buttons::AbortRetryIgnore,
       {"Przerwij", "Ponów próbę", "Ignoruj"},
       {Answer::Abort, Answer::Retry, Answer::Ignore},
       Answer::Abort,
       {}},
      // These two may lose data: their default button is the one that writes nothing.
      {Buttons::YesNoDefaultNo, {"Tak", "Nie"}, {Answer::Yes, Answer::No}, Answer::No, Answer::No},
      {Buttons::OverwriteSkipCancel,
       {"Nadpisz", "Pomiń", "Anuluj"},
       {Answer::Overwrite, Answer::Skip, Answer::Cancel},
       Answer::Cancel,
       Answer::Cancel},
      // Closing the window with unsaved changes: saving is the default, closing the box keeps it open.
      {Buttons::SaveDiscardCancel,
       {"Zapisz", "Nie zapisuj", "Anuluj"},
       {Answer::Save, Answer::Discard, Answer::Cancel},
       Answer::Cancel,
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.texts[0].toStdString());
    const auto box = BuildMessageBox(nullptr, "tekst", "tytuł", c.buttons, Icon::Exclamation);
    EXPECT_EQ(ButtonTexts(*box), c.texts);
    if (box->buttons().size() != static_cast<qsizetype>(c.answers.size())) continue;
    for (std::size_t i = 0; i < c.answers.size(); ++i)
      EXPECT_EQ(AnswerOf(*box, box->buttons()[static_cast<qsizetype>(i)]), c.answers[i]) << "button " << i;
    // Escape and the close button both give the escape button; a box closed some other way gives the same.
    EXPECT_NE(box->escapeButton(), nullptr);
    EXPECT_EQ(AnswerOf(*box, box->escapeButton()), c.closing);
    EXPECT_EQ(AnswerOf(*box, nullptr), c.closing);
    EXPECT_EQ(AnswerOf(*box, box->defaultButton()), c.byDefault.value_or(c.answers.front()));
  }
}

TEST(MessageBox, CarriesTextCaptionAndIcon) {
  const struct {
    Icon icon;
    QMessageBox::Icon shown;
  } icons[] = {{Icon::Stop, QMessageBox::Critical},
               {Icon::Exclamation, QMessageBox::Warning},
               {Icon::Information, QMessageBox::Information},
               {Icon::Question, QMessageBox::Question}};
  for (const auto& i : icons) {
    SCOPED_TRACE(testing::Message() << "icon " << static_cast<int>(i.icon));
    const auto box = BuildMessageBox(nullptr, "Niejednoznaczny wybór urządzeń !\n<b>2</b>", "Ostrzeżenie",
                                     Buttons::Ok, i.icon);
    EXPECT_EQ(box->icon(), i.shown);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Ostrzeżenie"));
    EXPECT_EQ(box->text(), QStringLiteral("Niejednoznaczny wybór urządzeń !\n<b>2</b>"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);  // a "<" in a text is shown, not taken as markup
  }
}

TEST(BadDataAlert, WarnsThenSelectsTheWholeField) {
  test::ScriptedHost host;
  QWidget dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* other = new QLineEdit(QStringLiteral("x"), &dialog);
  auto* field = new QLineEdit(QStringLiteral("  49"), &dialog);
  layout->addWidget(other);
  layout->addWidget(field);
  test::ShowActive(dialog);
  other->setFocus();

  EXPECT_EQ(BadDataAlert(&dialog, field, kInvalidValueText, host), 1);

  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Nieprawidłowa wartośc !");
  EXPECT_EQ(host.boxes[0].caption, "Ostrzeżenie :");
  EXPECT_EQ(host.boxes[0].buttons, Buttons::Ok);
  EXPECT_EQ(host.boxes[0].icon, Icon::Stop);
  EXPECT_TRUE(field->hasFocus());
  EXPECT_EQ(field->selectedText(), QStringLiteral("  49"));
}

}  // namespace
}  // namespace kavira
