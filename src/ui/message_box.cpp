#include "ui/message_box.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace kavira {
namespace {

constexpr const char* kAnswerProperty = "kaviraAnswer";

struct ButtonDef {
  const char* text;
  Answer answer;
};

// Buttons left to right.
std::vector<ButtonDef> ButtonsOf(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return {{QT_TRANSLATE_NOOP("kavira::MessageBox", "OK"), Answer::Ok}};
    case Buttons::RetryCancel:
      return {{QT_TRANSLATE_NOOP("kavira::MessageBox", "Ponów próbę"), Answer::Retry},
              {QT_TRANSLATE_NOOP("kavira::MessageBox", "Anuluj"), Answer::Cancel}};
    case Buttons::YesNo:
    case Buttons::YesNoDefaultNo:
      return {{QT_TRANSLATE_NOOP("kavira::MessageBox", "Tak"), Answer::Yes},
              {QT_TRANSLATE_NOOP("kavira::MessageBox", "Nie"), Answer::No}};
    case Buttons::AbortRetryIgnore:
      return {{QT_TRANSLATE_NOOP("kavira::MessageBox", "Przerwij"), Answer::Abort},
              {QT_TRANSLATE_NOOP("kavira::MessageBox", "Ponów próbę"), Answer::Retry},
              {QT_TRANSLATE_NOOP("kavira::MessageBox", "Ignoruj"), Answer::Ignore}};
    case Buttons::OverwriteSkipCancel:
      return {{QT_TRANSLATE_NOOP("kavira::MessageBox", "Nadpisz"), Answer::Overwrite},
              {QT_TRANSLATE_NOOP("kavira::MessageBox", "Pomiń"), Answer::Skip},
              {QT_TRANSLATE_NOOP("kavira::MessageBox", "Anuluj"), Answer::Cancel}};
    case Buttons::SaveDiscardCancel:
      return {{QT_TRANSLATE_NOOP("kavira::MessageBox", "Zapisz"), Answer::Save},
              {QT_TRANSLATE_NOOP("kavira::MessageBox", "Nie zapisuj"), Answer::Discard},
              {QT_TRANSLATE_NOOP("kavira::MessageBox", "Anuluj"), Answer::Cancel}};
  }
  return {{QT_TRANSLATE_NOOP("kavira::MessageBox", "OK"), Answer::Ok}};
}

Answer ClosingAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return Answer::Ok;
    case Buttons::RetryCancel:
      return Answer::Cancel;
    case Buttons::YesNo:
    case Buttons::YesNoDefaultNo:
      return Answer::No;
    case Buttons::AbortRetryIgnore:
      return Answer::Abort;
    case Buttons::OverwriteSkipCancel:
    case Buttons::SaveDiscardCancel:
      return Answer::Cancel;
  }
  return Answer::Ok;
}

// The default button: the first, except where that may lose data unasked.
bool IsDefault(Buttons buttons, const ButtonDef& def, bool first) {
  switch (buttons) {
    case Buttons::YesNoDefaultNo:
    case Buttons::OverwriteSkipCancel:
      return def.answer == ClosingAnswer(buttons);
    default:
      return first;
  }
}

QMessageBox::Icon IconOf(Icon icon) {
  switch (icon) {
    case Icon::Stop:
      return QMessageBox::Critical;
    case Icon::Exclamation:
      return QMessageBox::Warning;
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QString FromUtf8(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* parent, std::string_view text, std::string_view caption,
                                             Buttons buttons, Icon icon) {
  auto box = std::make_unique<QMessageBox>(parent);
  box->setIcon(IconOf(icon));
  box->setWindowTitle(FromUtf8(caption));
  box->setTextFormat(Qt::PlainText);  // the texts are plain and carry their own line breaks
  box->setText(FromUtf8(text));
  const Answer closing = ClosingAnswer(buttons);
  box->setProperty(kAnswerProperty, static_cast<int>(closing));
  bool first = true;
  for (const ButtonDef& def : ButtonsOf(buttons)) {
    // One role for all keeps the buttons in the order given on every platform's button layout.
    QPushButton* b =
        box->addButton(QCoreApplication::translate("kavira::MessageBox", def.text), QMessageBox::ActionRole);
    b->setProperty(kAnswerProperty, static_cast<int>(def.answer));
    if (IsDefault(buttons, def, first)) box->setDefaultButton(b);
    if (def.answer == closing) box->setEscapeButton(b);
    first = false;
  }
  return box;
}

Answer AnswerOf(const QMessageBox& box, const QAbstractButton* clicked) {
  const QObject* source = clicked != nullptr ? static_cast<const QObject*>(clicked) : &box;
  return static_cast<Answer>(source->property(kAnswerProperty).toInt());
}

Answer ShowMessageBox(QWidget* parent, std::string_view text, std::string_view caption, Buttons buttons,
                      Icon icon) {
  const auto box = BuildMessageBox(parent, text, caption, buttons, icon);
  box->exec();
  return AnswerOf(*box, box->clickedButton());
}

}  // namespace kavira
