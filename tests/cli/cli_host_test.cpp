// How kaviraob-cli answers the engine's boxes, and how it words them on one line.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_host.h"
#include "platform/system_error.h"

namespace kavira::cli {
namespace {

TEST(OneLine, DropsTheQuestionAndJoinsTheLines) {
  struct Case {
    const char* box;
    const char* line;
  };
  const Case cases[] = {
      {"Błąd weryfikacji : scena 4 kanał 131\n ( 10 <> 12 )\nKontynuować sprawdzanie ?",
       "Błąd weryfikacji : scena 4 kanał 131 ( 10 <> 12 )"},
      {"Błąd weryfikacji : kanał MIDI 70\n ( 1403 <> 403 )\nKontynuować sprawdzanie ?",
       "Błąd weryfikacji : kanał MIDI 70 ( 1403 <> 403 )"},
      {"Błąd weryfikacji trybu zwolnionego \n ( 1 <> 0 )\nKontynuować sprawdzanie ?",
       "Błąd weryfikacji trybu zwolnionego ( 1 <> 0 )"},
      {"Błąd weryfikacji kolekcji nr 16 obszar 2:\n\t5 <> 256 \nKontynuować sprawdzanie ?",
       "Błąd weryfikacji kolekcji nr 16 obszar 2: 5 <> 256"},
      // The blanks inside a line are the text's own and stay.
      {"Błąd weryfikacji aktualizacji : linia 7\n Jeżeli weryfikacja nie powiedzie się,\nkonieczna będzie  "
       "powtórna aktualizacja !!! \nKontynuować sprawdzanie ?\n",
       "Błąd weryfikacji aktualizacji : linia 7 Jeżeli weryfikacja nie powiedzie się, konieczna będzie  "
       "powtórna aktualizacja !!!"},
      {"Nie znalazłem sterownika Kavira OB !\nPodłącz urządzenie, przygotuj do transmisji\ni spróbuj "
       "ponownie.",
       "Nie znalazłem sterownika Kavira OB ! Podłącz urządzenie, przygotuj do transmisji i spróbuj "
       "ponownie."},
      {"Błąd protokołu", "Błąd protokołu"},
      {"\n\t \n", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(OneLine(c.box), c.line);
}

TEST(WithErrorText, DescribesTheSystemsCodeOnly) {
  // The system's own words: strerror() here, FormatMessageW() on Windows.
  EXPECT_EQ(WithErrorText("Kod błędu : 5").Polish(), "Kod błędu : 5 (" + SystemErrorText(5) + ")");
  EXPECT_EQ(WithErrorText("Błąd komunikacji : 13").Polish(),
            "Błąd komunikacji : 13 (" + SystemErrorText(13) + ")");
#ifndef _WIN32
  EXPECT_EQ(SystemErrorText(5), "Input/output error");
#endif
  const std::string text = SystemErrorText(5);
  EXPECT_TRUE(!text.empty() && text.back() != '.' && text.back() != '\n') << text;
  EXPECT_EQ(WithErrorText("Błąd komunikacji : brak danych : 0").Polish(),
            "Błąd komunikacji : brak danych : 0");
  EXPECT_EQ(WithErrorText("Kod błędu : ").Polish(), "Kod błędu : ");
  EXPECT_EQ(WithErrorText("Błąd protokołu").Polish(), "Błąd protokołu");
}

// Text from a file (a journal's firmware text) reaches the terminal with its control characters
// escaped, so that it cannot move the cursor, clear the screen or print a line of its own.
TEST(PrintableText, EscapesWhatATerminalWouldObey) {
  const struct {
    std::string text;
    const char* shown;
  } cases[] = {
      {"1.05A", "1.05A"},
      {"Próba żółta", "Próba żółta"},
      {"1.05A\x1b[2J\nkept:     fake", "1.05A\\x1b[2J\\nkept:     fake"},
      {"a\tb\rc\x7f\\", "a\\tb\\rc\\x7f\\\\"},
      {std::string("x\0y", 3), "x\\x00y"},
      {"\xc2\x9b"
       "2J",
       "\\u009B2J"},  // the one-byte CSI, as UTF-8
      {"\xe2\x80\xae"
       "A50.1",
       "\\u202EA50.1"},            // right-to-left override
      {"\xff\xc3", "\\xff\\xc3"},  // no UTF-8
  };
  for (const auto& c : cases)
    EXPECT_EQ(PrintableText(c.text), c.shown) << c.shown;
}

class CliHostTest : public ::testing::Test {
 protected:
  explicit CliHostTest(int retries = 2) : host(retries, out, notes, false) {
    host.watch(link);
    host.inRun = true;
    link.status = _rcving_;
    link.obszar = _dane_;
    link.akcja = _read_;
    link.Adres = 20;
  }

  // The box as the engine shows it: its kind follows from its buttons and icon.
  Answer box(const char* text, Buttons buttons, Icon icon = Icon::Exclamation) {
    MessageKind kind = MessageKind::ProtocolError;
    if (buttons == Buttons::RetryCancel) kind = MessageKind::LinkFailure;
    if (buttons == Buttons::AbortRetryIgnore) kind = MessageKind::FirmwareDiffers;
    if (buttons == Buttons::YesNo)
      kind = icon == Icon::Question ? MessageKind::Question : MessageKind::VerifyDifference;
    if (buttons == Buttons::Ok && icon == Icon::Information) kind = MessageKind::VerifyOutcome;
    if (buttons == Buttons::Ok && icon == Icon::Stop) kind = MessageKind::SystemError;
    return host.messageBox(text, "Niepowodzenie", buttons, icon, kind);
  }

  LinkState link;
  std::ostringstream out;
  std::ostringstream notes;
  CliHost host;
};

TEST_F(CliHostTest, RetriesOneFrameAsOftenAsAllowedThenGivesUp) {
  EXPECT_EQ(box("Błąd komunikacji : NAK", Buttons::RetryCancel), Answer::Retry);
  EXPECT_EQ(box("Błąd komunikacji : NAK", Buttons::RetryCancel), Answer::Retry);
  // The next block has its own allowance.
  link.Adres = 21;
  EXPECT_EQ(box("Błąd komunikacji : suma kontrolna", Buttons::RetryCancel), Answer::Retry);
  EXPECT_EQ(box("Błąd komunikacji : suma kontrolna", Buttons::RetryCancel), Answer::Retry);
  EXPECT_FALSE(host.failure().has_value());
  EXPECT_EQ(box("Błąd komunikacji : suma kontrolna", Buttons::RetryCancel), Answer::Cancel);
  ASSERT_TRUE(host.failure().has_value());
  EXPECT_EQ(host.failure()->exitCode, 3);
  EXPECT_EQ(host.failure()->message,
            "Błąd komunikacji : suma kontrolna at block 21 (scene 1:11), still failing after 2 retries");
  EXPECT_EQ(host.retriesUsed(), 4);
  EXPECT_NE(notes.str().find("retry 2 of 2"), std::string::npos) << notes.str();
  EXPECT_TRUE(out.str().empty());
}

TEST_F(CliHostTest, TheSameBlockInTheNextRunIsCountedAfresh) {
  EXPECT_EQ(box("Błąd komunikacji : NAK", Buttons::RetryCancel), Answer::Retry);
  EXPECT_EQ(box("Błąd komunikacji : NAK", Buttons::RetryCancel), Answer::Retry);
  host.newRun();
  EXPECT_EQ(box("Błąd komunikacji : NAK", Buttons::RetryCancel), Answer::Retry);
}

TEST(CliHost, NoRetriesFailsAtTheFirstRefusal) {
  LinkState link;
  link.obszar = _version_;
  std::ostringstream out, notes;
  CliHost host(0, out, notes, false);
  host.watch(link);
  EXPECT_EQ(host.messageBox("Błąd komunikacji : NAK", "Niepowodzenie", Buttons::RetryCancel,
                            Icon::Exclamation, MessageKind::LinkFailure),
            Answer::Cancel);
  ASSERT_TRUE(host.failure().has_value());
  EXPECT_EQ(host.failure()->message, "Błąd komunikacji : NAK at the version request (no retries allowed)");
}

TEST_F(CliHostTest, DifferencesArePrintedAndCheckingGoesOn) {
  EXPECT_EQ(
      box("Błąd weryfikacji : scena 11 kanał 1\n ( 0 <> 9 )\nKontynuować sprawdzanie ?", Buttons::YesNo),
      Answer::Yes);
  EXPECT_EQ(
      box("Błąd weryfikacji : scena 11 kanał 2\n ( 0 <> 8 )\nKontynuować sprawdzanie ?", Buttons::YesNo),
      Answer::Yes);
  EXPECT_EQ(out.str(),
            "Błąd weryfikacji : scena 11 kanał 1 ( 0 <> 9 )\n"
            "Błąd weryfikacji : scena 11 kanał 2 ( 0 <> 8 )\n");
  EXPECT_EQ(host.differences(), 2);
  EXPECT_EQ(box("Weryfikacja zakończona z ostrzeżeniami !", Buttons::Ok, Icon::Information), Answer::Ok);
  EXPECT_EQ(host.outcome(), "Weryfikacja zakończona z ostrzeżeniami !");
  EXPECT_FALSE(host.failure().has_value());
}

TEST_F(CliHostTest, AFirmwareLineIsReadAgainThenGivenUp) {
  link.obszar = _upg_;
  link.akcja = _verify_;
  link.upgline = 3;
  const char* text =
      "Błąd weryfikacji aktualizacji : linia 3\n Jeżeli weryfikacja nie powiedzie się,\nkonieczna będzie  "
      "powtórna aktualizacja !!! \nKontynuować sprawdzanie ?\n";
  EXPECT_EQ(box(text, Buttons::AbortRetryIgnore), Answer::Retry);
  EXPECT_EQ(box(text, Buttons::AbortRetryIgnore), Answer::Retry);
  EXPECT_FALSE(host.lineGivenUp());
  EXPECT_EQ(box(text, Buttons::AbortRetryIgnore), Answer::Abort);
  EXPECT_TRUE(host.lineGivenUp());
  EXPECT_EQ(out.str(),
            "Błąd weryfikacji aktualizacji : linia 3 Jeżeli weryfikacja nie powiedzie się, konieczna będzie  "
            "powtórna aktualizacja !!!\n");
}

TEST_F(CliHostTest, QuestionsGoToWhoeverAnswersThem) {
  EXPECT_EQ(box("Czy chcesz ?", Buttons::YesNo, Icon::Question), Answer::No);  // nobody to ask
  std::string asked;
  host.ask = [&](std::string_view q) {
    asked = q;
    return true;
  };
  EXPECT_EQ(host.messageBox("Inna wersja firmware : 1.06 !\nKontynuować ?", "Są różnice !", Buttons::YesNo,
                            Icon::Question, MessageKind::Question),
            Answer::Yes);
  EXPECT_EQ(asked, "Są różnice !\nInna wersja firmware : 1.06 !\nKontynuować ?");
  EXPECT_EQ(host.differences(), 0);
}

TEST_F(CliHostTest, FailureBoxesSayWhereAndWhy) {
  host.portName = "/dev/pts/9";
  EXPECT_EQ(box("Kod błędu : 5", Buttons::Ok, Icon::Stop), Answer::Ok);
  ASSERT_TRUE(host.failure().has_value());
  EXPECT_EQ(host.failure()->exitCode, 3);
  EXPECT_EQ(host.failure()->message,
            "Kod błędu : 5 (" + SystemErrorText(5) + ") at block 20 (scene 1:11) on /dev/pts/9");
  // What follows from the first failure does not replace it.
  box("Błąd protokołu", Buttons::Ok);
  EXPECT_EQ(host.failure()->message.rfind("Kod błędu : 5", 0), 0U);
}

TEST_F(CliHostTest, BoxesOfTheUpdateLoaderAreFileErrors) {
  host.phase = CliHost::Phase::UpdateFile;
  host.updateFile = "qz418.upg";
  FileRequest request;
  EXPECT_EQ(host.chooseFile(request), "qz418.upg");
  request.save = true;
  EXPECT_EQ(host.chooseFile(request), std::nullopt);
  box("Nieprawidłowa zawartość pliku !\nBłąd sumy kontrolnej !", Buttons::Ok, Icon::Information);
  ASSERT_TRUE(host.failure().has_value());
  EXPECT_EQ(host.failure()->exitCode, 4);
  EXPECT_EQ(host.failure()->message, "qz418.upg: Nieprawidłowa zawartość pliku ! Błąd sumy kontrolnej !");
}

}  // namespace
}  // namespace kavira::cli
