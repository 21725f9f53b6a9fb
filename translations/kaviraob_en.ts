<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pl">
<context>
    <name>Menus</name>
    <message>
        <source>&amp;Akcja</source>
        <translation>&amp;Action</translation>
    </message>
    <message>
        <source>&amp;Wybór portu</source>
        <translation>&amp;Port</translation>
    </message>
    <message>
        <source>Aktualizacja &amp;FirmWare</source>
        <translation>&amp;Firmware update</translation>
    </message>
    <message>
        <source>&amp;Koniec pracy</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>&amp;Pomoc</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Język / Language</source>
        <translation>&amp;Język / Language</translation>
    </message>
    <message>
        <source>&amp;Powtórz</source>
        <translation>Re&amp;peat</translation>
    </message>
    <message>
        <source>&amp;Odczyt ze sterownika</source>
        <translation>&amp;Read from controller</translation>
    </message>
    <message>
        <source>Odczyt z &amp;pliku</source>
        <translation>Read from &amp;file</translation>
    </message>
    <message>
        <source>&amp;Edycja</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;Weryfikacja</source>
        <translation>&amp;Verify</translation>
    </message>
    <message>
        <source>Zapis &amp;do pliku</source>
        <translation>&amp;Save to file</translation>
    </message>
    <message>
        <source>Zapis do &amp;sterownika</source>
        <translation>&amp;Write to controller</translation>
    </message>
    <message>
        <source>&amp;Zatrzymaj</source>
        <translation>S&amp;top</translation>
    </message>
    <message>
        <source>&amp;Restart sterownika</source>
        <translation>Restart &amp;controller</translation>
    </message>
    <message>
        <source>&amp;Auto</source>
        <translation>&amp;Auto</translation>
    </message>
    <message>
        <source>&amp;Wyszukiwanie</source>
        <translation>&amp;Search</translation>
    </message>
    <message>
        <source>&amp;Instalowanie</source>
        <translation>&amp;Install</translation>
    </message>
    <message>
        <source>We&amp;ryfikacja</source>
        <translation>&amp;Verify</translation>
    </message>
    <message>
        <source>Opis &amp;Programu</source>
        <translation>Program &amp;description</translation>
    </message>
    <message>
        <source>&amp;O programie</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>&amp;Podręcznik</source>
        <translation>&amp;Manual</translation>
    </message>
    <message>
        <source>&amp;Scen</source>
        <translation>&amp;Scenes</translation>
    </message>
    <message>
        <source>&amp;Ustawień</source>
        <translation>S&amp;ettings</translation>
    </message>
    <message>
        <source>&amp;MIDI</source>
        <translation>&amp;MIDI</translation>
    </message>
    <message>
        <source>&amp;Sceny</source>
        <translation>&amp;Scenes</translation>
    </message>
    <message>
        <source>&amp;Ustawienia</source>
        <translation>S&amp;ettings</translation>
    </message>
    <message>
        <source>Przypisania &amp;MIDI</source>
        <translation>&amp;MIDI assignments</translation>
    </message>
    <message>
        <source>&amp;Wszystko</source>
        <translation>&amp;All</translation>
    </message>
    <message>
        <source>Zapis z&amp;mian do sterownika</source>
        <translation>Write c&amp;hanges to controller</translation>
    </message>
    <message>
        <source>&amp;Cofnij ostatni zapis</source>
        <translation>&amp;Undo the last write</translation>
    </message>
    <message>
        <source>Cofnij zapis z dzie&amp;nnika...</source>
        <translation>Undo a write from a &amp;journal...</translation>
    </message>
    <message>
        <source>Ostatnie pli&amp;ki</source>
        <translation>Recent &amp;files</translation>
    </message>
    <message>
        <source>&amp;Przegląd pokazu</source>
        <translation>Show &amp;overview</translation>
    </message>
    <message>
        <source>Poró&amp;wnanie</source>
        <translation>&amp;Compare</translation>
    </message>
    <message>
        <source>&amp;Cofnij edycję</source>
        <translation>&amp;Undo edit</translation>
    </message>
    <message>
        <source>P&amp;onów edycję</source>
        <translation>&amp;Redo edit</translation>
    </message>
    <message>
        <source>ze &amp;sterownikiem</source>
        <translation>with the &amp;controller</translation>
    </message>
    <message>
        <source>z &amp;plikami...</source>
        <translation>with &amp;files...</translation>
    </message>
</context>
<context>
    <name>MidiDialog</name>
    <message>
        <source>Edycja przypisań MIDI</source>
        <translation>MIDI assignments</translation>
    </message>
    <message>
        <source>Numer klawisza MIDI</source>
        <translation>MIDI key number</translation>
    </message>
    <message>
        <source>Nuta / Oktawa</source>
        <translation>Note / Octave</translation>
    </message>
    <message>
        <source>Wyzwalanie w obszarach</source>
        <translation>Triggers in
areas</translation>
    </message>
    <message>
        <source>Przypisanie w obszarach</source>
        <translation>Assigned in
areas</translation>
    </message>
    <message>
        <source>Przypisana scena :</source>
        <translation>Assigned scene:</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>Scena</source>
        <translation>Scene</translation>
    </message>
    <message>
        <source>Koniec</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Wycofaj zmiany</source>
        <translation>Undo changes</translation>
    </message>
    <message>
        <source>Zatwierdź</source>
        <translation>Apply</translation>
    </message>
</context>
<context>
    <name>SceneEditorDialog</name>
    <message>
        <source>Program</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>MIDI</source>
        <translation>MIDI</translation>
    </message>
    <message>
        <source>Muzyka</source>
        <translation>Music</translation>
    </message>
    <message>
        <source>Ręczna</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Scena</source>
        <translation>Scene</translation>
    </message>
    <message>
        <source> END</source>
        <translation> END</translation>
    </message>
    <message>
        <source>Ładuj</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>Zatwierdź</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Koniec</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Urządzenia</source>
        <translation>Devices</translation>
    </message>
    <message>
        <source>Kanały</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>Kopiuj urządzenie</source>
        <translation>Copy device</translation>
    </message>
    <message>
        <source>Wklej do zaznaczonych</source>
        <translation>Paste into checked</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Ustawienia</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Klawisze specjalne</source>
        <translation>Special keys</translation>
    </message>
    <message>
        <source>Klawisz</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>Scena</source>
        <translation>Scene</translation>
    </message>
    <message>
        <source>Tryb</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>"strobe"</source>
        <translation>"strobe"</translation>
    </message>
    <message>
        <source>Kolekcje</source>
        <translation>Collections</translation>
    </message>
    <message>
        <source>Numer</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>Ob. 1</source>
        <translation>Ar. 1</translation>
    </message>
    <message>
        <source>Ob. 2</source>
        <translation>Ar. 2</translation>
    </message>
    <message>
        <source>Ob. 3</source>
        <translation>Ar. 3</translation>
    </message>
    <message>
        <source>Parametry programów</source>
        <translation>Program parameters</translation>
    </message>
    <message>
        <source>End</source>
        <translation>End</translation>
    </message>
    <message>
        <source>Synchronizacja</source>
        <translation>Synchronisation</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>SPEED</translation>
    </message>
    <message>
        <source>FADE</source>
        <translation>FADE</translation>
    </message>
    <message>
        <source>Skala czasu</source>
        <translation>Time scale</translation>
    </message>
    <message>
        <source>Tryb spowolniony</source>
        <translation>Slow mode</translation>
    </message>
    <message>
        <source>Koniec</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Zatwierdź</source>
        <translation>Apply</translation>
    </message>
</context>
<context>
    <name>Texts</name>
    <message>
        <source>Niepowodzenie</source>
        <translation>Failure</translation>
    </message>
    <message>
        <source>Ostrzeżenie</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Mamy problem</source>
        <translation>We have a problem</translation>
    </message>
    <message>
        <source>Mamy problem :</source>
        <translation>We have a problem:</translation>
    </message>
    <message>
        <source>Klęska !</source>
        <translation>Defeat!</translation>
    </message>
    <message>
        <source>Sukces !</source>
        <translation>Success!</translation>
    </message>
    <message>
        <source>Sukces ?</source>
        <translation>Success?</translation>
    </message>
    <message>
        <source>Jesteś pewien ?</source>
        <translation>Are you sure?</translation>
    </message>
    <message>
        <source>Deaktualizacja ?</source>
        <translation>Downgrade?</translation>
    </message>
    <message>
        <source>Są różnice !</source>
        <translation>They differ!</translation>
    </message>
    <message>
        <source>	Sceny</source>
        <translation>	Scenes</translation>
    </message>
    <message>
        <source>	Ustaw.</source>
        <translation>	Settings</translation>
    </message>
    <message>
        <source>	MIDI</source>
        <translation>	MIDI</translation>
    </message>
    <message>
        <source>	Wersja</source>
        <translation>	Version</translation>
    </message>
    <message>
        <source>	FirmWare</source>
        <translation>	Firmware</translation>
    </message>
    <message>
        <source>	N/A</source>
        <translation>	N/A</translation>
    </message>
    <message>
        <source>	Zapis do Qz418</source>
        <translation>	Writing to Qz418</translation>
    </message>
    <message>
        <source>	Odczyt z Qz418</source>
        <translation>	Reading from Qz418</translation>
    </message>
    <message>
        <source>	Weryfikacja</source>
        <translation>	Verifying</translation>
    </message>
    <message>
        <source>	Odczyt z pliku</source>
        <translation>	Reading a file</translation>
    </message>
    <message>
        <source>	Zapis do pliku</source>
        <translation>	Saving a file</translation>
    </message>
    <message>
        <source>	Gotowe</source>
        <translation>	Ready</translation>
    </message>
    <message>
        <source>	Plik</source>
        <translation>	File</translation>
    </message>
    <message>
        <source>	Edycja</source>
        <translation>	Editing</translation>
    </message>
    <message>
        <source>	Inicjowanie</source>
        <translation>	Preparing</translation>
    </message>
    <message>
        <source>	Aktualizowanie</source>
        <translation>	Updating</translation>
    </message>
    <message>
        <source>Musisz wybrać dostępny port szeregowy !</source>
        <translation>You must choose an available serial port!</translation>
    </message>
    <message>
        <source>Brak dostępnych portów szeregowych</source>
        <translation>No serial ports available</translation>
    </message>
    <message>
        <source>Nie znalazłem sterownika Kavira OB !
Podłącz urządzenie, przygotuj do transmisji
i spróbuj ponownie.</source>
        <translation>Kavira OB controller not found!
Connect the device, get it ready to transfer
and try again.</translation>
    </message>
    <message>
        <source>Błąd otwarcia portu !</source>
        <translation>Cannot open the port!</translation>
    </message>
    <message>
        <source>Błąd konfiguracji portu !</source>
        <translation>Cannot configure the port!</translation>
    </message>
    <message>
        <source>Kod błędu : %1</source>
        <translation>Error code: %1</translation>
    </message>
    <message>
        <source>Błąd programu !</source>
        <translation>Program error!</translation>
    </message>
    <message>
        <source>Błąd komunikacji : %1</source>
        <translation>Communication error: %1</translation>
    </message>
    <message>
        <source>brak danych : %1</source>
        <translation>missing data: %1</translation>
    </message>
    <message>
        <source>suma kontrolna = %1</source>
        <translation>checksum = %1</translation>
    </message>
    <message>
        <source>adres zwrotny %1</source>
        <translation>returned address %1</translation>
    </message>
    <message>
        <source>Błąd protokołu</source>
        <translation>Protocol error</translation>
    </message>
    <message>
        <source>Brak uprawnień do %1. Dodaj swoje konto do grupy %2 (sudo usermod -aG %2 $USER), a potem wyloguj się i zaloguj ponownie.</source>
        <translation>No permission for %1. Add your account to the group %2 (sudo usermod -aG %2 $USER), then log out and log in again.</translation>
    </message>
    <message>
        <source>Port jest zajęty: inny program ma go otwartego na wyłączność.</source>
        <translation>The port is busy: another program has it open exclusively.</translation>
    </message>
    <message>
        <source>Port jest zajęty: plik blokady %1.</source>
        <translation>The port is busy: lock file %1.</translation>
    </message>
    <message>
        <source>Port jest zajęty: trzyma go proces %1%2, plik blokady %3.</source>
        <translation>The port is busy: process %1%2 holds it, lock file %3.</translation>
    </message>
    <message>
        <source>%1 to %2, a nie port szeregowy.</source>
        <translation>%1 is %2, not a serial port.</translation>
    </message>
    <message>
        <source>Nie ma urządzenia %1; %2 w bieżącym folderze to %3.</source>
        <translation>There is no device %1; %2 in the current folder is %3.</translation>
    </message>
    <message>
        <source>urządzenie: podaj je jako ./%1</source>
        <translation>a device: give it as ./%1</translation>
    </message>
    <message>
        <source>%1, a nie port szeregowy</source>
        <translation>%1, not a serial port</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>a folder</translation>
    </message>
    <message>
        <source>zwykły plik</source>
        <translation>a regular file</translation>
    </message>
    <message>
        <source>potok nazwany (FIFO)</source>
        <translation>a named pipe (FIFO)</translation>
    </message>
    <message>
        <source>gniazdo</source>
        <translation>a socket</translation>
    </message>
    <message>
        <source>urządzenie blokowe</source>
        <translation>a block device</translation>
    </message>
    <message>
        <source>nie urządzenie</source>
        <translation>not a device</translation>
    </message>
    <message>
        <source>Kontynuować sprawdzanie ?</source>
        <translation>Continue checking?</translation>
    </message>
    <message>
        <source>Błąd weryfikacji : scena %1 kanał %2</source>
        <translation>Verification error: scene %1 channel %2</translation>
    </message>
    <message>
        <source>Błąd weryfikacji : kanał MIDI %1</source>
        <translation>Verification error: MIDI channel %1</translation>
    </message>
    <message>
        <source>Błąd weryfikacji końca programu : program %1</source>
        <translation>Verification error in the program end: program %1</translation>
    </message>
    <message>
        <source>Błąd weryfikacji prędkości i synchro : program %1</source>
        <translation>Verification error in speed and sync: program %1</translation>
    </message>
    <message>
        <source>Błąd weryfikacji fadingu : program %1</source>
        <translation>Verification error in fading: program %1</translation>
    </message>
    <message>
        <source>Błąd weryfikacji trybu klawiszy specjalnych </source>
        <translation>Verification error in the special keys mode </translation>
    </message>
    <message>
        <source>Błąd weryfikacji trybu zwolnionego </source>
        <translation>Verification error in the slow mode </translation>
    </message>
    <message>
        <source>Błąd weryfikacji wyboru strobu </source>
        <translation>Verification error in the strobe choice </translation>
    </message>
    <message>
        <source>Błąd weryfikacji wyboru zadymienia </source>
        <translation>Verification error in the fog choice </translation>
    </message>
    <message>
        <source>Błąd weryfikacji wyboru sceny ekstra </source>
        <translation>Verification error in the extra scene choice </translation>
    </message>
    <message>
        <source>Błąd weryfikacji kolekcji nr %1 obszar %2:</source>
        <translation>Verification error in collection %1 area %2:</translation>
    </message>
    <message>
        <source>Błąd weryfikacji aktualizacji : linia %1
 Jeżeli weryfikacja nie powiedzie się,
konieczna będzie  powtórna aktualizacja !!! </source>
        <translation>Update verification error: line %1
 If the verification fails,
the update must be installed again!!! </translation>
    </message>
    <message>
        <source>Weryfikacja zakończona sukcesem !</source>
        <translation>Verification ended successfully!</translation>
    </message>
    <message>
        <source>Weryfikacja zakończona z ostrzeżeniami !</source>
        <translation>Verification ended with warnings!</translation>
    </message>
    <message>
        <source>Wiersz %1, kolumna %2 : %3</source>
        <translation>Line %1, column %2: %3</translation>
    </message>
    <message>
        <source>Tekst nie zawiera żadnej sceny !</source>
        <translation>The text holds no scene!</translation>
    </message>
    <message>
        <source>pusty wiersz</source>
        <translation>empty line</translation>
    </message>
    <message>
        <source>brak liczby</source>
        <translation>no number</translation>
    </message>
    <message>
        <source>„%1” nie jest liczbą od 0 do 255</source>
        <translation>"%1" is not a number from 0 to 255</translation>
    </message>
    <message>
        <source>%1 to więcej niż 255</source>
        <translation>%1 is more than 255</translation>
    </message>
    <message>
        <source>liczba pól w wierszu : %1 zamiast 256</source>
        <translation>fields in the line: %1 instead of 256</translation>
    </message>
    <message>
        <source>za dużo scen (najwyżej %1)</source>
        <translation>too many scenes (at most %1)</translation>
    </message>
    <message>
        <source>Wybierz plik z danymi :</source>
        <translation>Choose a data file:</translation>
    </message>
    <message>
        <source>Wybierz plik do zapisu :</source>
        <translation>Choose a file to save to:</translation>
    </message>
    <message>
        <source>Wybierz plik z aktualizacją :</source>
        <translation>Choose an update file:</translation>
    </message>
    <message>
        <source>Zawartość scen</source>
        <translation>Scene contents</translation>
    </message>
    <message>
        <source>Nastawy programów</source>
        <translation>Program settings</translation>
    </message>
    <message>
        <source>Przypisania MIDI</source>
        <translation>MIDI assignments</translation>
    </message>
    <message>
        <source>Aktualizacje</source>
        <translation>Updates</translation>
    </message>
    <message>
        <source>Wszystkie pliki</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>Błędny obszar : %1 !</source>
        <translation>Wrong area: %1!</translation>
    </message>
    <message>
        <source>Błędna akcja : %1 !</source>
        <translation>Wrong action: %1!</translation>
    </message>
    <message>
        <source>Plik %1 nie istnieje !</source>
        <translation>File %1 does not exist!</translation>
    </message>
    <message>
        <source>Błąd otwarcia pliku !</source>
        <translation>Cannot open the file!</translation>
    </message>
    <message>
        <source>%1 :
Błąd odczytu !</source>
        <translation>%1:
Read error!</translation>
    </message>
    <message>
        <source>%1 :
Brak dostępu do zapisu !</source>
        <translation>%1:
No write access!</translation>
    </message>
    <message>
        <source>%1 :
Błąd zapisu !</source>
        <translation>%1:
Write error!</translation>
    </message>
    <message>
        <source>Nowe dane zapisano w: %1</source>
        <translation>New data saved in: %1</translation>
    </message>
    <message>
        <source>Bez zmian pozostały: %1</source>
        <translation>Left unchanged: %1</translation>
    </message>
    <message>
        <source>Nie zastąpiono żadnego pliku.</source>
        <translation>No file was replaced.</translation>
    </message>
    <message>
        <source>Nieprawidłowa zawartość pliku !</source>
        <translation>Invalid file contents!</translation>
    </message>
    <message>
        <source>Nieoczekiwany koniec pliku !</source>
        <translation>Unexpected end of file!</translation>
    </message>
    <message>
        <source>Nieprawidłowa długość pliku !</source>
        <translation>Invalid file length!</translation>
    </message>
    <message>
        <source>Błąd allokacji pamięci !</source>
        <translation>Out of memory!</translation>
    </message>
    <message>
        <source>Błąd odczytu pliku !</source>
        <translation>Cannot read the file!</translation>
    </message>
    <message>
        <source>Błąd sumy kontrolnej !</source>
        <translation>Checksum error!</translation>
    </message>
    <message>
        <source>Czy chcesz zainstalować w swoim Kavira-Oxbrine
firmware w wersji %1 ?</source>
        <translation>Do you want to install firmware version %1
in your Kavira-Oxbrine?</translation>
    </message>
    <message>
        <source>Czy na pewno chcesz zastąpić w swoim Kavira-Oxbrine
firmware w wersji %1 wersją %2 ?</source>
        <translation>Do you really want to replace firmware version %1
in your Kavira-Oxbrine with version %2?</translation>
    </message>
    <message>
        <source>Inna wersja firmware : %1 !
Kontynuować ?</source>
        <translation>Different firmware version: %1!
Continue?</translation>
    </message>
    <message>
        <source>Zapis zmian</source>
        <translation>Writing changes</translation>
    </message>
    <message>
        <source>Cofnięcie zapisu</source>
        <translation>Undoing a write</translation>
    </message>
    <message>
        <source>Zapis zmian zakończony sukcesem !</source>
        <translation>Changes written successfully!</translation>
    </message>
    <message>
        <source>Zapis zmian zakończony z ostrzeżeniami !</source>
        <translation>Changes written with warnings!</translation>
    </message>
    <message>
        <source>Cofnięcie zapisu zakończone sukcesem !</source>
        <translation>Write undone successfully!</translation>
    </message>
    <message>
        <source>Cofnięcie zapisu zakończone z ostrzeżeniami !</source>
        <translation>Write undone with warnings!</translation>
    </message>
    <message>
        <source>Zapis zmian przerwany !</source>
        <translation>Writing the changes was interrupted!</translation>
    </message>
    <message>
        <source>Cofnięcie zapisu przerwane !</source>
        <translation>Undoing the write was interrupted!</translation>
    </message>
    <message>
        <source>Zapisane bloki : %1</source>
        <translation>Blocks written: %1</translation>
    </message>
    <message>
        <source>Bloki bez zmian : %1</source>
        <translation>Blocks already equal: %1</translation>
    </message>
    <message>
        <source>Dziennik cofania : %1</source>
        <translation>Undo journal: %1</translation>
    </message>
    <message>
        <source>Nic nie zapisano, dziennik nie był potrzebny.</source>
        <translation>Nothing was written; no journal was needed.</translation>
    </message>
    <message>
        <source>Nie można utworzyć dziennika zmian !
Zapis nie został rozpoczęty.</source>
        <translation>The undo journal cannot be created!
The write was not started.</translation>
    </message>
    <message>
        <source>Błąd zapisu dziennika zmian !
Zapis został przerwany przed wysłaniem bloku.</source>
        <translation>The undo journal could not be written!
The write was stopped before the block was sent.</translation>
    </message>
    <message>
        <source>Brak dziennika zapisu do cofnięcia !</source>
        <translation>There is no write journal to undo!</translation>
    </message>
    <message>
        <source>Błędny dziennik zapisu !</source>
        <translation>Bad write journal!</translation>
    </message>
    <message>
        <source>Przywrócić w sterowniku bloki z dziennika ?</source>
        <translation>Restore the journal's blocks in the controller?</translation>
    </message>
    <message>
        <source>Błąd weryfikacji cofnięcia zapisu : blok %1</source>
        <translation>Undo verification error: block %1</translation>
    </message>
    <message>
        <source>Pytanie</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>Cofnij zapis z dziennika</source>
        <translation>Undo a write from a journal</translation>
    </message>
    <message>
        <source>Konflikt</source>
        <translation>Conflict</translation>
    </message>
    <message>
        <source>Od ostatniego odczytu w sterowniku zmieniło się to, co chcesz zapisać (bloki : %1) :</source>
        <translation>Since it was last read, the controller has changed where you want to write (blocks: %1):</translation>
    </message>
    <message>
        <source>%1 : obraz %2, sterownik teraz %3, przedtem %4</source>
        <translation>%1: image %2, controller now %3, before %4</translation>
    </message>
    <message>
        <source>blok %1 : zmieniony w sterowniku</source>
        <translation>block %1: changed in the controller</translation>
    </message>
    <message>
        <source>Nadpisz : zapisz także te bloki. Pomiń : zapisz pozostałe. Anuluj : nie zapisuj nic.</source>
        <translation>Overwrite: write these blocks too. Skip: write the others. Cancel: write nothing.</translation>
    </message>
    <message>
        <source>Obraz nie zawiera danych dla tego obszaru : od uruchomienia programu nic go nie odczytało, nie wczytało z pliku ani nie zmieniło.
Zapisać mimo to do sterownika ?</source>
        <translation>The program holds no data for this area yet: nothing has read, loaded or edited it since the program started.
Write it to the controller all the same?</translation>
    </message>
    <message>
        <source>Zapis z %1, obszar : %2, bloki : %3</source>
        <translation>The write of %1, area: %2, blocks: %3</translation>
    </message>
    <message>
        <source>sceny %1-%2</source>
        <translation>scenes %1-%2</translation>
    </message>
    <message>
        <source>ustawienia</source>
        <translation>settings</translation>
    </message>
    <message>
        <source>MIDI</source>
        <translation>MIDI</translation>
    </message>
    <message>
        <source>wszystko</source>
        <translation>all</translation>
    </message>
    <message>
        <source>Po tym zapisie zapis bez dziennika (Zapis do sterownika) zmienił bloki tego dziennika : %1.
Cofnięcie nie przywróci stanu sprzed tamtego zapisu.
Cofnąć mimo to ?</source>
        <translation>Since this write, a write without a journal (Write to the controller) changed blocks of this journal: %1.
The undo will not bring back what they held before that write.
Undo all the same?</translation>
    </message>
    <message>
        <source>program %1 scena %2 (kanały %3)</source>
        <translation>program %1 scene %2 (channels %3)</translation>
    </message>
    <message>
        <source>ustawienia (końce programów, prędkości, fading 1-32)</source>
        <translation>settings (program ends, speeds, fades 1-32)</translation>
    </message>
    <message>
        <source>ustawienia (fading 33-48, klawisze specjalne, kolekcje)</source>
        <translation>settings (fades 33-48, special keys, collections)</translation>
    </message>
    <message>
        <source>MIDI (klawisze %1)</source>
        <translation>MIDI (keys %1)</translation>
    </message>
    <message>
        <source>i %1 innych</source>
        <translation>and %1 more</translation>
    </message>
    <message>
        <source>Przejściówka trzyma odebrane bajty do %1 ms: pełny odczyt trwa o około %2 s (%3 %) dłużej, niż potrzebuje linia. Jak to zmienić: Podręcznik, „Przejściówki”.</source>
        <translation>The adapter holds received bytes for up to %1 ms: a whole read takes about %2 s (%3 %) longer than the line needs. How to lower it: the manual, "Adapters".</translation>
    </message>
</context>
<context>
    <name>kavira::BadDataAlert</name>
    <message>
        <source>Ostrzeżenie :</source>
        <translation>Warning:</translation>
    </message>
    <message>
        <source>Nieprawidłowa wartośc !</source>
        <translation>Invalid value!</translation>
    </message>
</context>
<context>
    <name>kavira::CompareDialog</name>
    <message>
        <source>program %1, scena %2, urządzenie %3, kanał %4</source>
        <translation>program %1, scene %2, device %3, channel %4</translation>
    </message>
    <message>
        <source>Miejsce</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>Obraz PC</source>
        <translation>PC image</translation>
    </message>
    <message>
        <source>Kopiuj</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Porównanie</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>Zamknij</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Filtr: tekst, który wiersz ma zawierać</source>
        <translation>Filter: text a row must contain</translation>
    </message>
    <message>
        <source>Filtr :</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>Brak różnic</source>
        <translation>No differences</translation>
    </message>
    <message>
        <source>Różnice : %1</source>
        <translation>Differences: %1</translation>
    </message>
    <message>
        <source>Różnice : %1 (widoczne : %2)</source>
        <translation>Differences: %1 (shown: %2)</translation>
    </message>
</context>
<context>
    <name>kavira::JournalListDialog</name>
    <message>
        <source>Czas</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Obszar</source>
        <translation>Area</translation>
    </message>
    <message>
        <source>Bloki</source>
        <translation>Blocks</translation>
    </message>
    <message>
        <source>Cofnięcie</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>tak</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>błędny dziennik</source>
        <translation>damaged journal</translation>
    </message>
    <message>
        <source>Cofnij zapis</source>
        <translation>Undo the write</translation>
    </message>
    <message>
        <source>Inny plik...</source>
        <translation>Other file...</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>kavira::MainWindow</name>
    <message>
        <source>Plik pomocy nie jest na razie dostępny !</source>
        <translation>The help file is not available yet!</translation>
    </message>
    <message>
        <source>Brak dostępu !</source>
        <translation>Not available!</translation>
    </message>
    <message>
        <source>%1
KaviraOB, wersja %2

Program do odczytu, edycji, zapisu i weryfikacji pamięci
sterownika oświetlenia scenicznego qz418 Kavira Oxbrine
oraz do aktualizacji jego oprogramowania.

Producent: Kavira, sterowniki oświetlenia scenicznego.</source>
        <translation>%1
KaviraOB, version %2

A program that reads, edits, writes and verifies the memory
of the qz418 Kavira Oxbrine stage-lighting controller
and updates its firmware.

Made by Kavira, stage-lighting controllers.</translation>
    </message>
    <message>
        <source>O programie</source>
        <translation>About</translation>
    </message>
    <message>
        <source>UWAGA !!!
Wszystkie zmiany nie zapisane do pliku
lub do sterownika zostaną utracone !!!
Czy na pewno chcesz zakończyć ?</source>
        <translation>ATTENTION!!!
All changes not saved to a file
or written to the controller will be lost!!!
Do you really want to exit?</translation>
    </message>
    <message>
        <source>Podręcznik</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>Program komunikacyjny qz418 Kavira Oxbrine &lt;--&gt; PC</source>
        <translation>qz418 Kavira Oxbrine &lt;--&gt; PC communication program</translation>
    </message>
    <message>
        <source>odczyt ze sterownika</source>
        <translation>read from the controller</translation>
    </message>
    <message>
        <source>odczyt z pliku</source>
        <translation>load from a file</translation>
    </message>
    <message>
        <source>edycja przypisań MIDI</source>
        <translation>MIDI edit</translation>
    </message>
    <message>
        <source>edycja ustawień</source>
        <translation>settings edit</translation>
    </message>
    <message>
        <source>edycja scen</source>
        <translation>scene edit</translation>
    </message>
    <message>
        <source>edycja</source>
        <translation>edit</translation>
    </message>
    <message>
        <source>zmiana obrazu</source>
        <translation>image change</translation>
    </message>
    <message>
        <source>(brak)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>bez nazwy</source>
        <translation>untitled</translation>
    </message>
    <message>
        <source>Sterownik</source>
        <translation>Controller</translation>
    </message>
    <message>
        <source>Wybierz pliki do porównania :</source>
        <translation>Choose the files to compare:</translation>
    </message>
    <message>
        <source>&amp;Cofnij: %1</source>
        <translation>&amp;Undo: %1</translation>
    </message>
    <message>
        <source>P&amp;onów: %1</source>
        <translation>&amp;Redo: %1</translation>
    </message>
    <message>
        <source>Zapisać zmiany?</source>
        <translation>Save changes?</translation>
    </message>
    <message>
        <source>KaviraOB</source>
        <translation>KaviraOB</translation>
    </message>
</context>
<context>
    <name>kavira::MessageBox</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Ponów próbę</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Tak</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Nie</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Przerwij</source>
        <translation>Abort</translation>
    </message>
    <message>
        <source>Ignoruj</source>
        <translation>Ignore</translation>
    </message>
    <message>
        <source>Nadpisz</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>Pomiń</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>Zapisz</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Nie zapisuj</source>
        <translation>Don&apos;t save</translation>
    </message>
</context>
<context>
    <name>kavira::RangeDialog</name>
    <message>
        <source>Zakres scen</source>
        <translation>Scene range</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>Scena </source>
        <translation>Scene </translation>
    </message>
    <message>
        <source>Sceny od :</source>
        <translation>Scenes from:</translation>
    </message>
    <message>
        <source>Sceny do :</source>
        <translation>Scenes to:</translation>
    </message>
    <message>
        <source>Wszystkie</source>
        <translation>All</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Numer programu musi zawierać się
pomiędzy 1 a %1 !</source>
        <translation>The program number must lie
between 1 and %1!</translation>
    </message>
    <message>
        <source>Scena musi zawierać się
pomiędzy %1 a %2 !</source>
        <translation>The scene must lie
between %1 and %2!</translation>
    </message>
    <message>
        <source>Numer programu musi zawierać się
pomiędzy %1 a %2 !</source>
        <translation>The program number must lie
between %1 and %2!</translation>
    </message>
</context>
<context>
    <name>kavira::SceneEditorDialog</name>
    <message>
        <source>Niejednoznaczny wybór urządzeń !
Zostaną załadowane nastawy urządzenia %1-go !</source>
        <translation>Ambiguous choice of devices!
The settings of device %1 will be loaded!</translation>
    </message>
    <message>
        <source>Ostrzeżenie</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Musisz wybrać rodzaj synchronizacji !</source>
        <translation>You must choose a kind of synchronisation!</translation>
    </message>
    <message>
        <source>Poprawka :</source>
        <translation>Correction:</translation>
    </message>
    <message>
        <source>zatwierdź scenę %1/%2</source>
        <translation>apply scene %1/%2</translation>
    </message>
    <message>
        <source>wklej urządzenie do zaznaczonych: %1</source>
        <translation>paste device into checked: %1</translation>
    </message>
</context>
<context>
    <name>kavira::SetChannelDialog</name>
    <message>
        <source>Ustaw kanał</source>
        <translation>Set a channel</translation>
    </message>
    <message>
        <source>Urządzenie (1-16) :</source>
        <translation>Device (1-16):</translation>
    </message>
    <message>
        <source>Kanał (1-16) :</source>
        <translation>Channel (1-16):</translation>
    </message>
    <message>
        <source>Poziom (0-255) :</source>
        <translation>Level (0-255):</translation>
    </message>
    <message>
        <source>Program (1-48) :</source>
        <translation>Program (1-48):</translation>
    </message>
    <message>
        <source>do</source>
        <translation>to</translation>
    </message>
    <message>
        <source>Sceny od :</source>
        <translation>Scenes from:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Numer urządzenia musi zawierać się
pomiędzy 1 a 16 !</source>
        <translation>The device number must lie
between 1 and 16!</translation>
    </message>
    <message>
        <source>Numer kanału musi zawierać się
pomiędzy 1 a 16 !</source>
        <translation>The channel number must lie
between 1 and 16!</translation>
    </message>
    <message>
        <source>Poziom musi zawierać się
pomiędzy 0 a 255 !</source>
        <translation>The level must lie
between 0 and 255!</translation>
    </message>
    <message>
        <source>Numer programu musi zawierać się
pomiędzy 1 a %1 !</source>
        <translation>The program number must lie
between 1 and %1!</translation>
    </message>
    <message>
        <source>Scena musi zawierać się
pomiędzy %1 a %2 !</source>
        <translation>The scene must lie
between %1 and %2!</translation>
    </message>
</context>
<context>
    <name>kavira::SettingsDialog</name>
    <message>
        <source>Czy usuwać błędne programy z kolekcji ?</source>
        <translation>Remove the invalid programs from the collections?</translation>
    </message>
</context>
<context>
    <name>kavira::ShowOverview</name>
    <message>
        <source>wklej %1 scenę</source>
        <translation>paste %1 scene</translation>
    </message>
    <message>
        <source>wklej %1 sceny</source>
        <translation>paste %1 scenes</translation>
    </message>
    <message>
        <source>wklej %1 scen</source>
        <translation>paste %1 scenes</translation>
    </message>
    <message>
        <source>wyczyść %1 scenę</source>
        <translation>clear %1 scene</translation>
    </message>
    <message>
        <source>wyczyść %1 sceny</source>
        <translation>clear %1 scenes</translation>
    </message>
    <message>
        <source>wyczyść %1 scen</source>
        <translation>clear %1 scenes</translation>
    </message>
    <message>
        <source>ręczny</source>
        <translation>manual</translation>
    </message>
    <message>
        <source>auto %1</source>
        <translation>auto %1</translation>
    </message>
    <message>
        <source>muzyka</source>
        <translation>music</translation>
    </message>
    <message>
        <source>MIDI</source>
        <translation>MIDI</translation>
    </message>
    <message>
        <source>Przegląd pokazu</source>
        <translation>Show overview</translation>
    </message>
    <message>
        <source>Obszar %1</source>
        <translation>Area %1</translation>
    </message>
    <message>
        <source>Kolekcje</source>
        <translation>Collections</translation>
    </message>
    <message>
        <source>Kopiuj</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Wklej</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>Wyczyść</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Ustaw kanał...</source>
        <translation>Set a channel...</translation>
    </message>
    <message>
        <source>błąd (%1)</source>
        <translation>error (%1)</translation>
    </message>
    <message>
        <source>Program %1</source>
        <translation>Program %1</translation>
    </message>
    <message>
        <source>(pusty)</source>
        <translation>(empty)</translation>
    </message>
    <message>
        <source>fading %1</source>
        <translation>fade %1</translation>
    </message>
    <message>
        <source>Program %1, scena %2 (%3)</source>
        <translation>Program %1, scene %2 (%3)</translation>
    </message>
    <message>
        <source>koniec programu</source>
        <translation>end of the program</translation>
    </message>
    <message>
        <source>za końcem programu</source>
        <translation>after the end of the program</translation>
    </message>
    <message>
        <source>urz. %1 kan. %2 = %3</source>
        <translation>dev. %1 ch. %2 = %3</translation>
    </message>
    <message>
        <source>pusta scena</source>
        <translation>empty scene</translation>
    </message>
    <message>
        <source>Sceny w schowku są uszkodzone. Nic nie wklejono.</source>
        <translation>The scenes on the clipboard are damaged. Nothing was pasted.</translation>
    </message>
    <message>
        <source>Nic nie wklejono.</source>
        <translation>Nothing was pasted.</translation>
    </message>
    <message>
        <source>Schowek nie zawiera scen.</source>
        <translation>The clipboard holds no scenes.</translation>
    </message>
    <message>
        <source>Wybierz scenę, od której wkleić.</source>
        <translation>Choose the scene to paste from.</translation>
    </message>
    <message>
        <source>Wklejono %1 z %2 scen : w programie %3 nie ma miejsca na resztę.</source>
        <translation>Pasted %1 of %2 scenes: program %3 has no room for the rest.</translation>
    </message>
    <message>
        <source>Wybierz program, do którego wkleić.</source>
        <translation>Choose the program to paste into.</translation>
    </message>
    <message>
        <source>Program w schowku jest uszkodzony. Nic nie wklejono.</source>
        <translation>The program on the clipboard is damaged. Nothing was pasted.</translation>
    </message>
    <message>
        <source>wklej program %1 do programu %2</source>
        <translation>paste program %1 into program %2</translation>
    </message>
    <message>
        <source>Wklejono %1 z %2 scen programu %3 : program %4 ma ich tylko %1.</source>
        <translation>Pasted %1 of the %2 scenes of program %3: program %4 has only %1.</translation>
    </message>
    <message>
        <source>Wklejono %1 scen programu %2 : sceny od %3 do %4 programu %5 są bez zmian.</source>
        <translation>Pasted the %1 scenes of program %2: scenes %3 to %4 of program %5 are unchanged.</translation>
    </message>
    <message>
        <source>Koniec programu, scena %1, przeniesiono na jego ostatnią scenę, %2.</source>
        <translation>The end of the program, scene %1, was moved to its last scene, %2.</translation>
    </message>
    <message>
        <source>ustaw kanał</source>
        <translation>set a channel</translation>
    </message>
</context>
</TS>