// The program's texts and captions, in Polish, each written once. The core composes its messages from
// them as a Message (model/message.h): a template and its arguments, which the window program and
// kaviraob-cli translate where they reach the user (platform/translation.h), with these Polish texts as
// the source texts of translations/kaviraob_en.ts.
//
// Adding a text:
//   1. one line in KAVIRA_TEXTS below: X(kName, KAVIRA_TEXT("Polski tekst %1"));
//   2. `cmake --build --preset default --target update_translations` adds it to the .ts file, where
//      Qt Linguist (or an editor) gives it its English text.
// Numbered placeholders %1-%9 stand for numbers, names and reasons; a translation may reorder them.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Marks a catalogue text for lupdate (an alias of QT_TR_NOOP); it is the text itself.
#define KAVIRA_TEXT(text) text
// Names the translation context for lupdate (an alias of Q_DECLARE_TR_FUNCTIONS); nothing in C++.
#define KAVIRA_TEXT_CONTEXT(name)

namespace kavira {

struct Texts {
  KAVIRA_TEXT_CONTEXT(Texts)

// Every text once, as X(name, text): it makes the members below and the list of AllTexts().
// clang-format off
#define KAVIRA_TEXTS(X) \
  /* Captions. */ \
  X(kCaptionFailure, KAVIRA_TEXT("Niepowodzenie")) \
  X(kCaptionWarning, KAVIRA_TEXT("Ostrzeżenie")) \
  X(kCaptionProblem, KAVIRA_TEXT("Mamy problem")) \
  X(kCaptionNoController, KAVIRA_TEXT("Mamy problem :")) \
  X(kCaptionNoSerialPorts, KAVIRA_TEXT("Klęska !")) \
  X(kCaptionSuccess, KAVIRA_TEXT("Sukces !")) \
  X(kCaptionDoubtfulSuccess, KAVIRA_TEXT("Sukces ?")) \
  X(kCaptionSure, KAVIRA_TEXT("Jesteś pewien ?")) \
  X(kCaptionDowngrade, KAVIRA_TEXT("Deaktualizacja ?")) \
  X(kCaptionDifferent, KAVIRA_TEXT("Są różnice !")) \
  /* Status bar: areas, actions and what stands there for a while (a tab centres a text). */ \
  X(kAreaScenes, KAVIRA_TEXT("\tSceny")) \
  X(kAreaSettings, KAVIRA_TEXT("\tUstaw.")) \
  X(kAreaMidi, KAVIRA_TEXT("\tMIDI")) \
  X(kAreaVersion, KAVIRA_TEXT("\tWersja")) \
  X(kAreaFirmware, KAVIRA_TEXT("\tFirmWare")) \
  X(kNotApplicable, KAVIRA_TEXT("\tN/A")) \
  X(kActionWrite, KAVIRA_TEXT("\tZapis do Qz418")) \
  X(kActionRead, KAVIRA_TEXT("\tOdczyt z Qz418")) \
  X(kActionVerify, KAVIRA_TEXT("\tWeryfikacja")) \
  X(kActionFileRead, KAVIRA_TEXT("\tOdczyt z pliku")) \
  X(kActionFileSave, KAVIRA_TEXT("\tZapis do pliku")) \
  X(kReady, KAVIRA_TEXT("\tGotowe")) \
  X(kFile, KAVIRA_TEXT("\tPlik")) \
  X(kEditing, KAVIRA_TEXT("\tEdycja")) \
  X(kPreparing, KAVIRA_TEXT("\tInicjowanie")) \
  X(kUpdating, KAVIRA_TEXT("\tAktualizowanie")) \
  /* The port and the link. */ \
  X(kNoPort, KAVIRA_TEXT("Musisz wybrać dostępny port szeregowy !")) \
  X(kNoSerialPorts, KAVIRA_TEXT("Brak dostępnych portów szeregowych")) \
  X(kNoController, KAVIRA_TEXT( \
      "Nie znalazłem sterownika Kavira OB !\nPodłącz urządzenie, przygotuj do " \
      "transmisji\ni spróbuj ponownie.")) \
  X(kPortOpenFailed, KAVIRA_TEXT("Błąd otwarcia portu !")) \
  X(kPortConfigFailed, KAVIRA_TEXT("Błąd konfiguracji portu !")) \
  X(kSystemError, KAVIRA_TEXT("Kod błędu : %1")) \
  X(kProgramError, KAVIRA_TEXT("Błąd programu !")) \
  X(kLinkFailure, KAVIRA_TEXT("Błąd komunikacji : %1")) \
  X(kNoData, KAVIRA_TEXT("brak danych : %1")) \
  X(kChecksum, KAVIRA_TEXT("suma kontrolna = %1")) \
  X(kReturnAddress, KAVIRA_TEXT("adres zwrotny %1")) \
  X(kProtocol, KAVIRA_TEXT("Błąd protokołu")) \
  /* Why a port cannot be used: the hints under the port boxes. */ \
  X(kNoPermission, KAVIRA_TEXT( \
      "Brak uprawnień do %1. Dodaj swoje konto do grupy %2 (sudo usermod -aG %2 " \
      "$USER), a potem wyloguj się i zaloguj ponownie.")) \
  X(kBusyExclusive, KAVIRA_TEXT("Port jest zajęty: inny program ma go otwartego na wyłączność.")) \
  X(kBusyLockFile, KAVIRA_TEXT("Port jest zajęty: plik blokady %1.")) \
  X(kBusyProcess, KAVIRA_TEXT("Port jest zajęty: trzyma go proces %1%2, plik blokady %3.")) \
  X(kIsNotAPort, KAVIRA_TEXT("%1 to %2, a nie port szeregowy.")) \
  X(kNoDeviceHere, KAVIRA_TEXT("Nie ma urządzenia %1; %2 w bieżącym folderze to %3.")) \
  X(kLocalDevice, KAVIRA_TEXT("urządzenie: podaj je jako ./%1")) \
  X(kKindNotAPort, KAVIRA_TEXT("%1, a nie port szeregowy")) \
  X(kKindFolder, KAVIRA_TEXT("folder")) \
  X(kKindFile, KAVIRA_TEXT("zwykły plik")) \
  X(kKindFifo, KAVIRA_TEXT("potok nazwany (FIFO)")) \
  X(kKindSocket, KAVIRA_TEXT("gniazdo")) \
  X(kKindBlockDevice, KAVIRA_TEXT("urządzenie blokowe")) \
  X(kKindOther, KAVIRA_TEXT("nie urządzenie")) \
  /* Verification. */ \
  X(kVerifyQuestion, KAVIRA_TEXT("Kontynuować sprawdzanie ?")) \
  X(kSceneDiffers, KAVIRA_TEXT("Błąd weryfikacji : scena %1 kanał %2")) \
  X(kMidiDiffers, KAVIRA_TEXT("Błąd weryfikacji : kanał MIDI %1")) \
  X(kPgmEndsDiffer, KAVIRA_TEXT("Błąd weryfikacji końca programu : program %1")) \
  X(kPgmSpeedDiffers, KAVIRA_TEXT("Błąd weryfikacji prędkości i synchro : program %1")) \
  X(kPgmFadeDiffers, KAVIRA_TEXT("Błąd weryfikacji fadingu : program %1")) \
  X(kExtraModeDiffers, KAVIRA_TEXT("Błąd weryfikacji trybu klawiszy specjalnych ")) \
  X(kSlowModeDiffers, KAVIRA_TEXT("Błąd weryfikacji trybu zwolnionego ")) \
  X(kStrobDiffers, KAVIRA_TEXT("Błąd weryfikacji wyboru strobu ")) \
  X(kFogDiffers, KAVIRA_TEXT("Błąd weryfikacji wyboru zadymienia ")) \
  X(kExtraSceneDiffers, KAVIRA_TEXT("Błąd weryfikacji wyboru sceny ekstra ")) \
  X(kShowDiffers, KAVIRA_TEXT("Błąd weryfikacji kolekcji nr %1 obszar %2:")) \
  X(kFirmwareLineDiffers, KAVIRA_TEXT( \
      "Błąd weryfikacji aktualizacji : linia %1\n Jeżeli weryfikacja nie powiedzie " \
      "się,\nkonieczna będzie  powtórna aktualizacja !!! ")) \
  X(kVerifySucceeded, KAVIRA_TEXT("Weryfikacja zakończona sukcesem !")) \
  X(kVerifyWarned, KAVIRA_TEXT("Weryfikacja zakończona z ostrzeżeniami !")) \
  /* Changes-only writes and their undo. */ \
  X(kChangesWalk, KAVIRA_TEXT("Zapis zmian")) \
  X(kUndoWalk, KAVIRA_TEXT("Cofnięcie zapisu")) \
  X(kChangesDone, KAVIRA_TEXT("Zapis zmian zakończony sukcesem !")) \
  X(kChangesWarned, KAVIRA_TEXT("Zapis zmian zakończony z ostrzeżeniami !")) \
  X(kUndoDone, KAVIRA_TEXT("Cofnięcie zapisu zakończone sukcesem !")) \
  X(kUndoWarned, KAVIRA_TEXT("Cofnięcie zapisu zakończone z ostrzeżeniami !")) \
  X(kChangesStopped, KAVIRA_TEXT("Zapis zmian przerwany !")) \
  X(kUndoStopped, KAVIRA_TEXT("Cofnięcie zapisu przerwane !")) \
  X(kBlocksWritten, KAVIRA_TEXT("Zapisane bloki : %1")) \
  X(kBlocksEqual, KAVIRA_TEXT("Bloki bez zmian : %1")) \
  X(kUndoJournal, KAVIRA_TEXT("Dziennik cofania : %1")) \
  X(kNoJournalKept, KAVIRA_TEXT("Nic nie zapisano, dziennik nie był potrzebny.")) \
  X(kJournalNotCreated, KAVIRA_TEXT("Nie można utworzyć dziennika zmian !\nZapis nie został rozpoczęty.")) \
  X(kJournalWriteFailed, KAVIRA_TEXT( \
      "Błąd zapisu dziennika zmian !\nZapis został przerwany przed wysłaniem bloku.")) \
  X(kNoJournal, KAVIRA_TEXT("Brak dziennika zapisu do cofnięcia !")) \
  X(kBadJournal, KAVIRA_TEXT("Błędny dziennik zapisu !")) \
  X(kUndoQuestion, KAVIRA_TEXT("Przywrócić w sterowniku bloki z dziennika ?")) \
  X(kUndoBlockDiffers, KAVIRA_TEXT("Błąd weryfikacji cofnięcia zapisu : blok %1")) \
  X(kCaptionQuestion, KAVIRA_TEXT("Pytanie")) \
  X(kChooseJournal, KAVIRA_TEXT("Cofnij zapis z dziennika")) \
  /* The three-way write of the changes, and what an undo says before it starts. */ \
  X(kCaptionConflict, KAVIRA_TEXT("Konflikt")) \
  X(kConflicts, KAVIRA_TEXT( \
      "Od ostatniego odczytu w sterowniku zmieniło się to, co chcesz zapisać (bloki : %1) :")) \
  X(kConflictValues, KAVIRA_TEXT("%1 : obraz %2, sterownik teraz %3, przedtem %4")) \
  X(kConflictBlock, KAVIRA_TEXT("blok %1 : zmieniony w sterowniku")) \
  X(kConflictChoice, KAVIRA_TEXT( \
      "Nadpisz : zapisz także te bloki. Pomiń : zapisz pozostałe. Anuluj : nie zapisuj nic.")) \
  X(kEmptyImage, KAVIRA_TEXT( \
      "Obraz nie zawiera danych dla tego obszaru : od uruchomienia programu nic go nie odczytało, " \
      "nie wczytało z pliku ani nie zmieniło.\nZapisać mimo to do sterownika ?")) \
  X(kUndoWhat, KAVIRA_TEXT("Zapis z %1, obszar : %2, bloki : %3")) \
  X(kJournalScenes, KAVIRA_TEXT("sceny %1-%2")) \
  X(kJournalSettings, KAVIRA_TEXT("ustawienia")) \
  X(kJournalMidi, KAVIRA_TEXT("MIDI")) \
  X(kJournalAll, KAVIRA_TEXT("wszystko")) \
  X(kBlockScene, KAVIRA_TEXT("program %1 scena %2 (kanały %3)")) \
  X(kBlockSettingsFirst, KAVIRA_TEXT("ustawienia (końce programów, prędkości, fading 1-32)")) \
  X(kBlockSettingsSecond, KAVIRA_TEXT("ustawienia (fading 33-48, klawisze specjalne, kolekcje)")) \
  X(kBlockMidi, KAVIRA_TEXT("MIDI (klawisze %1)")) \
  X(kBlocksMore, KAVIRA_TEXT("i %1 innych")) \
  X(kLatencyNote, KAVIRA_TEXT( \
      "Przejściówka trzyma odebrane bajty do %1 ms: pełny odczyt trwa o około %2 s (%3 %) dłużej, " \
      "niż potrzebuje linia. Jak to zmienić: Podręcznik, „Przejściówki”.")) \
  X(kUnjournalledSince, KAVIRA_TEXT( \
      "Po tym zapisie zapis bez dziennika (Zapis do sterownika) zmienił bloki tego dziennika : %1.\n" \
      "Cofnięcie nie przywróci stanu sprzed tamtego zapisu.\nCofnąć mimo to ?")) \
  /* Scenes as text on the clipboard (model/scene_text.h). */ \
  X(kSceneTextPlace, KAVIRA_TEXT("Wiersz %1, kolumna %2 : %3")) \
  X(kSceneTextNoScenes, KAVIRA_TEXT("Tekst nie zawiera żadnej sceny !")) \
  X(kSceneTextBlankLine, KAVIRA_TEXT("pusty wiersz")) \
  X(kSceneTextEmptyField, KAVIRA_TEXT("brak liczby")) \
  X(kSceneTextNotANumber, KAVIRA_TEXT("„%1” nie jest liczbą od 0 do 255")) \
  X(kSceneTextTooHigh, KAVIRA_TEXT("%1 to więcej niż 255")) \
  X(kSceneTextFieldCount, KAVIRA_TEXT("liczba pól w wierszu : %1 zamiast 256")) \
  X(kSceneTextTooMany, KAVIRA_TEXT("za dużo scen (najwyżej %1)")) \
  /* Files. */ \
  X(kChooseDataFile, KAVIRA_TEXT("Wybierz plik z danymi :")) \
  X(kChooseSaveFile, KAVIRA_TEXT("Wybierz plik do zapisu :")) \
  X(kChooseUpdateFile, KAVIRA_TEXT("Wybierz plik z aktualizacją :")) \
  X(kFilterScenes, KAVIRA_TEXT("Zawartość scen")) \
  X(kFilterSettings, KAVIRA_TEXT("Nastawy programów")) \
  X(kFilterMidi, KAVIRA_TEXT("Przypisania MIDI")) \
  X(kFilterUpdates, KAVIRA_TEXT("Aktualizacje")) \
  X(kFilterAll, KAVIRA_TEXT("Wszystkie pliki")) \
  X(kBadArea, KAVIRA_TEXT("Błędny obszar : %1 !")) \
  X(kBadAction, KAVIRA_TEXT("Błędna akcja : %1 !")) \
  X(kFileMissing, KAVIRA_TEXT("Plik %1 nie istnieje !")) \
  X(kOpenFailed, KAVIRA_TEXT("Błąd otwarcia pliku !")) \
  X(kReadFailed, KAVIRA_TEXT("%1 :\nBłąd odczytu !")) \
  X(kNotWritable, KAVIRA_TEXT("%1 :\nBrak dostępu do zapisu !")) \
  X(kWriteFailed, KAVIRA_TEXT("%1 :\nBłąd zapisu !")) \
  X(kNewDataIn, KAVIRA_TEXT("Nowe dane zapisano w: %1")) \
  X(kUnchanged, KAVIRA_TEXT("Bez zmian pozostały: %1")) \
  X(kNoneReplaced, KAVIRA_TEXT("Nie zastąpiono żadnego pliku.")) \
  X(kBadContent, KAVIRA_TEXT("Nieprawidłowa zawartość pliku !")) \
  X(kUnexpectedEnd, KAVIRA_TEXT("Nieoczekiwany koniec pliku !")) \
  X(kBadLength, KAVIRA_TEXT("Nieprawidłowa długość pliku !")) \
  X(kNoMemory, KAVIRA_TEXT("Błąd allokacji pamięci !")) \
  X(kFileReadFailed, KAVIRA_TEXT("Błąd odczytu pliku !")) \
  X(kBadChecksum, KAVIRA_TEXT("Błąd sumy kontrolnej !")) \
  /* Firmware questions. */ \
  X(kAskInstall, KAVIRA_TEXT("Czy chcesz zainstalować w swoim Kavira-Oxbrine\nfirmware w wersji %1 ?")) \
  X(kAskDowngrade, KAVIRA_TEXT( \
      "Czy na pewno chcesz zastąpić w swoim Kavira-Oxbrine\nfirmware w wersji %1 " \
      "wersją %2 ?")) \
  X(kOtherVersion, KAVIRA_TEXT("Inna wersja firmware : %1 !\nKontynuować ?"))
  // clang-format on

#define KAVIRA_TEXT_MEMBER(name, text) static constexpr const char* name = text;
  KAVIRA_TEXTS(KAVIRA_TEXT_MEMBER)
#undef KAVIRA_TEXT_MEMBER
};

// Every text above, for the translation's completeness check.
std::span<const char* const> AllTexts();

// `templ` with %1-%9 replaced by the arguments in one pass (an argument's own "%2" stays as it is); a
// placeholder without an argument, and a '%' not followed by a digit, stay as they are.
std::string Format(std::string_view templ, std::initializer_list<std::string_view> args);
std::string Format(std::string_view templ, const std::vector<std::string>& args);

// The caption of a file failure box, data files and update files alike: a missing file is a warning,
// every other failure a failure.
constexpr const char* FileFailureCaption(bool missing) {
  return missing ? Texts::kCaptionWarning : Texts::kCaptionFailure;
}

}  // namespace kavira
