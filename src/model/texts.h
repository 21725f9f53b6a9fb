// The program's texts and captions, in Polish, each written once. The core composes its messages from
// them with Format; the window program and kaviraob-cli translate what reaches the user (see
// platform/translation.h), with these Polish texts as the source texts of translations/kaviraob_en.ts.
//
// Adding a text:
//   1. one line in Texts below: static constexpr const char* kName = KAVIRA_TEXT("Polski tekst %1");
//   2. its name in AllTexts() in texts.cpp (the translation test fails while it is missing);
//   3. `cmake --build --preset default --target update_translations` adds it to the .ts file, where
//      Qt Linguist (or an editor) gives it its English text.
// Numbered placeholders %1-%9 stand for numbers, names and reasons; a translation may reorder them.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

// Marks a catalogue text for lupdate (an alias of QT_TR_NOOP); it is the text itself.
#define KAVIRA_TEXT(text) text
// Names the translation context for lupdate (an alias of Q_DECLARE_TR_FUNCTIONS); nothing in C++.
#define KAVIRA_TEXT_CONTEXT(name)

namespace kavira {

struct Texts {
  KAVIRA_TEXT_CONTEXT(Texts)

  // Captions.
  static constexpr const char* kCaptionFailure = KAVIRA_TEXT("Niepowodzenie");
  static constexpr const char* kCaptionWarning = KAVIRA_TEXT("Ostrzeżenie");
  static constexpr const char* kCaptionProblem = KAVIRA_TEXT("Mamy problem");
  static constexpr const char* kCaptionNoController = KAVIRA_TEXT("Mamy problem :");
  static constexpr const char* kCaptionNoSerialPorts = KAVIRA_TEXT("Klęska !");
  static constexpr const char* kCaptionSuccess = KAVIRA_TEXT("Sukces !");
  static constexpr const char* kCaptionDoubtfulSuccess = KAVIRA_TEXT("Sukces ?");
  static constexpr const char* kCaptionSure = KAVIRA_TEXT("Jesteś pewien ?");
  static constexpr const char* kCaptionDowngrade = KAVIRA_TEXT("Deaktualizacja ?");
  static constexpr const char* kCaptionDifferent = KAVIRA_TEXT("Są różnice !");

  // Status bar: areas, actions and what stands there for a while (a tab centres a text).
  static constexpr const char* kAreaScenes = KAVIRA_TEXT("\tSceny");
  static constexpr const char* kAreaSettings = KAVIRA_TEXT("\tUstaw.");
  static constexpr const char* kAreaMidi = KAVIRA_TEXT("\tMIDI");
  static constexpr const char* kAreaVersion = KAVIRA_TEXT("\tWersja");
  static constexpr const char* kAreaFirmware = KAVIRA_TEXT("\tFirmWare");
  static constexpr const char* kNotApplicable = KAVIRA_TEXT("\tN/A");
  static constexpr const char* kActionWrite = KAVIRA_TEXT("\tZapis do Qz418");
  static constexpr const char* kActionRead = KAVIRA_TEXT("\tOdczyt z Qz418");
  static constexpr const char* kActionVerify = KAVIRA_TEXT("\tWeryfikacja");
  static constexpr const char* kActionFileRead = KAVIRA_TEXT("\tOdczyt z pliku");
  static constexpr const char* kActionFileSave = KAVIRA_TEXT("\tZapis do pliku");
  static constexpr const char* kReady = KAVIRA_TEXT("\tGotowe");
  static constexpr const char* kFile = KAVIRA_TEXT("\tPlik");
  static constexpr const char* kEditing = KAVIRA_TEXT("\tEdycja");
  static constexpr const char* kPreparing = KAVIRA_TEXT("\tInicjowanie");
  static constexpr const char* kUpdating = KAVIRA_TEXT("\tAktualizowanie");

  // The port and the link.
  static constexpr const char* kNoPort = KAVIRA_TEXT("Musisz wybrać dostępny port szeregowy !");
  static constexpr const char* kNoSerialPorts = KAVIRA_TEXT("Brak dostępnych portów szeregowych");
  static constexpr const char* kNoController = KAVIRA_TEXT(
      "Nie znalazłem sterownika Kavira OB !\nPodłącz urządzenie, przygotuj do transmisji\ni spróbuj "
      "ponownie.");
  static constexpr const char* kPortOpenFailed = KAVIRA_TEXT("Błąd otwarcia portu !");
  static constexpr const char* kPortConfigFailed = KAVIRA_TEXT("Błąd konfiguracji portu !");
  static constexpr const char* kSystemError = KAVIRA_TEXT("Kod błędu : %1");
  static constexpr const char* kProgramError = KAVIRA_TEXT("Błąd programu !");
  static constexpr const char* kLinkFailure = KAVIRA_TEXT("Błąd komunikacji : %1");
  static constexpr const char* kNoData = KAVIRA_TEXT("brak danych : %1");
  static constexpr const char* kChecksum = KAVIRA_TEXT("suma kontrolna = %1");
  static constexpr const char* kReturnAddress = KAVIRA_TEXT("adres zwrotny %1");
  static constexpr const char* kProtocol = KAVIRA_TEXT("Błąd protokołu");

  // Why a port cannot be used: the hints under the port boxes.
  static constexpr const char* kNoPermission = KAVIRA_TEXT(
      "Brak uprawnień do %1. Dodaj swoje konto do grupy %2 (sudo usermod -aG %2 $USER), a potem wyloguj się "
      "i "
      "zaloguj ponownie.");
  static constexpr const char* kBusyExclusive =
      KAVIRA_TEXT("Port jest zajęty: inny program ma go otwartego na wyłączność.");
  static constexpr const char* kBusyLockFile = KAVIRA_TEXT("Port jest zajęty: plik blokady %1.");
  static constexpr const char* kBusyProcess =
      KAVIRA_TEXT("Port jest zajęty: trzyma go proces %1%2, plik blokady %3.");
  static constexpr const char* kIsNotAPort = KAVIRA_TEXT("%1 to %2, a nie port szeregowy.");
  static constexpr const char* kNoDeviceHere =
      KAVIRA_TEXT("Nie ma urządzenia %1; %2 w bieżącym folderze to %3.");
  static constexpr const char* kLocalDevice = KAVIRA_TEXT("urządzenie: podaj je jako ./%1");
  static constexpr const char* kKindNotAPort = KAVIRA_TEXT("%1, a nie port szeregowy");
  static constexpr const char* kKindFolder = KAVIRA_TEXT("folder");
  static constexpr const char* kKindFile = KAVIRA_TEXT("zwykły plik");
  static constexpr const char* kKindFifo = KAVIRA_TEXT("potok nazwany (FIFO)");
  static constexpr const char* kKindSocket = KAVIRA_TEXT("gniazdo");
  static constexpr const char* kKindBlockDevice = KAVIRA_TEXT("urządzenie blokowe");
  static constexpr const char* kKindOther = KAVIRA_TEXT("nie urządzenie");

  // Verification.
  static constexpr const char* kVerifyQuestion = KAVIRA_TEXT("Kontynuować sprawdzanie ?");
  static constexpr const char* kSceneDiffers = KAVIRA_TEXT("Błąd weryfikacji : scena %1 kanał %2");
  static constexpr const char* kMidiDiffers = KAVIRA_TEXT("Błąd weryfikacji : kanał MIDI %1");
  static constexpr const char* kPgmEndsDiffer = KAVIRA_TEXT("Błąd weryfikacji końca programu : program %1");
  static constexpr const char* kPgmSpeedDiffers =
      KAVIRA_TEXT("Błąd weryfikacji prędkości i synchro : program %1");
  static constexpr const char* kPgmFadeDiffers = KAVIRA_TEXT("Błąd weryfikacji fadingu : program %1");
  static constexpr const char* kExtraModeDiffers =
      KAVIRA_TEXT("Błąd weryfikacji trybu klawiszy specjalnych ");
  static constexpr const char* kSlowModeDiffers = KAVIRA_TEXT("Błąd weryfikacji trybu zwolnionego ");
  static constexpr const char* kStrobDiffers = KAVIRA_TEXT("Błąd weryfikacji wyboru strobu ");
  static constexpr const char* kFogDiffers = KAVIRA_TEXT("Błąd weryfikacji wyboru zadymienia ");
  static constexpr const char* kExtraSceneDiffers = KAVIRA_TEXT("Błąd weryfikacji wyboru sceny ekstra ");
  static constexpr const char* kShowDiffers = KAVIRA_TEXT("Błąd weryfikacji kolekcji nr %1 obszar %2:");
  static constexpr const char* kFirmwareLineDiffers = KAVIRA_TEXT(
      "Błąd weryfikacji aktualizacji : linia %1\n Jeżeli weryfikacja nie powiedzie się,\nkonieczna będzie  "
      "powtórna aktualizacja !!! ");
  static constexpr const char* kVerifySucceeded = KAVIRA_TEXT("Weryfikacja zakończona sukcesem !");
  static constexpr const char* kVerifyWarned = KAVIRA_TEXT("Weryfikacja zakończona z ostrzeżeniami !");

  // Changes-only writes and their undo.
  static constexpr const char* kChangesWalk = KAVIRA_TEXT("Zapis zmian");
  static constexpr const char* kUndoWalk = KAVIRA_TEXT("Cofnięcie zapisu");
  static constexpr const char* kChangesDone = KAVIRA_TEXT("Zapis zmian zakończony sukcesem !");
  static constexpr const char* kChangesWarned = KAVIRA_TEXT("Zapis zmian zakończony z ostrzeżeniami !");
  static constexpr const char* kUndoDone = KAVIRA_TEXT("Cofnięcie zapisu zakończone sukcesem !");
  static constexpr const char* kUndoWarned = KAVIRA_TEXT("Cofnięcie zapisu zakończone z ostrzeżeniami !");
  static constexpr const char* kChangesStopped = KAVIRA_TEXT("Zapis zmian przerwany !");
  static constexpr const char* kUndoStopped = KAVIRA_TEXT("Cofnięcie zapisu przerwane !");
  static constexpr const char* kBlocksWritten = KAVIRA_TEXT("Zapisane bloki : %1");
  static constexpr const char* kBlocksEqual = KAVIRA_TEXT("Bloki bez zmian : %1");
  static constexpr const char* kUndoJournal = KAVIRA_TEXT("Dziennik cofania : %1");
  static constexpr const char* kNoJournalKept = KAVIRA_TEXT("Nic nie zapisano, dziennik nie był potrzebny.");
  static constexpr const char* kJournalNotCreated =
      KAVIRA_TEXT("Nie można utworzyć dziennika zmian !\nZapis nie został rozpoczęty.");
  static constexpr const char* kJournalWriteFailed =
      KAVIRA_TEXT("Błąd zapisu dziennika zmian !\nZapis został przerwany przed wysłaniem bloku.");
  static constexpr const char* kNoJournal = KAVIRA_TEXT("Brak dziennika zapisu do cofnięcia !");
  static constexpr const char* kBadJournal = KAVIRA_TEXT("Błędny dziennik zapisu !");
  static constexpr const char* kUndoQuestion = KAVIRA_TEXT("Przywrócić w sterowniku bloki z dziennika ?");
  static constexpr const char* kUndoBlockDiffers = KAVIRA_TEXT("Błąd weryfikacji cofnięcia zapisu : blok %1");
  static constexpr const char* kCaptionQuestion = KAVIRA_TEXT("Pytanie");
  static constexpr const char* kChooseJournal = KAVIRA_TEXT("Cofnij zapis z dziennika");

  // Files.
  static constexpr const char* kChooseDataFile = KAVIRA_TEXT("Wybierz plik z danymi :");
  static constexpr const char* kChooseSaveFile = KAVIRA_TEXT("Wybierz plik do zapisu :");
  static constexpr const char* kChooseUpdateFile = KAVIRA_TEXT("Wybierz plik z aktualizacją :");
  static constexpr const char* kFilterScenes = KAVIRA_TEXT("Zawartość scen");
  static constexpr const char* kFilterSettings = KAVIRA_TEXT("Nastawy programów");
  static constexpr const char* kFilterMidi = KAVIRA_TEXT("Przypisania MIDI");
  static constexpr const char* kFilterUpdates = KAVIRA_TEXT("Aktualizacje");
  static constexpr const char* kFilterAll = KAVIRA_TEXT("Wszystkie pliki");
  static constexpr const char* kBadArea = KAVIRA_TEXT("Błędny obszar : %1 !");
  static constexpr const char* kBadAction = KAVIRA_TEXT("Błędna akcja : %1 !");
  static constexpr const char* kFileMissing = KAVIRA_TEXT("Plik %1 nie istnieje !");
  static constexpr const char* kOpenFailed = KAVIRA_TEXT("Błąd otwarcia pliku !");
  static constexpr const char* kReadFailed = KAVIRA_TEXT("%1 :\nBłąd odczytu !");
  static constexpr const char* kNotWritable = KAVIRA_TEXT("%1 :\nBrak dostępu do zapisu !");
  static constexpr const char* kWriteFailed = KAVIRA_TEXT("%1 :\nBłąd zapisu !");
  static constexpr const char* kNewDataIn = KAVIRA_TEXT("Nowe dane zapisano w: %1");
  static constexpr const char* kUnchanged = KAVIRA_TEXT("Bez zmian pozostały: %1");
  static constexpr const char* kNoneReplaced = KAVIRA_TEXT("Nie zastąpiono żadnego pliku.");
  static constexpr const char* kBadContent = KAVIRA_TEXT("Nieprawidłowa zawartość pliku !");
  static constexpr const char* kUnexpectedEnd = KAVIRA_TEXT("Nieoczekiwany koniec pliku !");
  static constexpr const char* kBadLength = KAVIRA_TEXT("Nieprawidłowa długość pliku !");
  static constexpr const char* kNoMemory = KAVIRA_TEXT("Błąd allokacji pamięci !");
  static constexpr const char* kFileReadFailed = KAVIRA_TEXT("Błąd odczytu pliku !");
  static constexpr const char* kBadChecksum = KAVIRA_TEXT("Błąd sumy kontrolnej !");

  // Firmware questions.
  static constexpr const char* kAskInstall =
      KAVIRA_TEXT("Czy chcesz zainstalować w swoim Kavira-Oxbrine\nfirmware w wersji %1 ?");
  static constexpr const char* kAskDowngrade =
      KAVIRA_TEXT("Czy na pewno chcesz zastąpić w swoim Kavira-Oxbrine\nfirmware w wersji %1 wersją %2 ?");
  static constexpr const char* kOtherVersion = KAVIRA_TEXT("Inna wersja firmware : %1 !\nKontynuować ?");
};

// Every text above, for the translation's completeness check and for the adapters that match composed
// texts against the templates.
std::span<const char* const> AllTexts();

// `templ` with %1-%9 replaced by the arguments in one pass (an argument's own "%2" stays as it is); a
// placeholder without an argument, and a '%' not followed by a digit, stay as they are.
std::string Format(std::string_view templ, std::initializer_list<std::string_view> args);

// The caption of a file failure box, data files and update files alike: a missing file is a warning,
// every other failure a failure.
constexpr const char* FileFailureCaption(bool missing) {
  return missing ? Texts::kCaptionWarning : Texts::kCaptionFailure;
}

}  // namespace kavira
