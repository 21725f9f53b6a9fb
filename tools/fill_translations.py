#!/usr/bin/env python3
"""Fills translations/kaviraob_en.ts from the English texts below, keyed by context and Polish source.

lupdate (the update_translations target) keeps the .ts in step with the sources; this script is a
convenience for writing many texts at once. A text not listed here is left as lupdate made it.
  tools/fill_translations.py translations/kaviraob_en.ts
"""
import sys
import xml.etree.ElementTree as ET

EN = {
    "Menus": {
        "&Akcja": "&Action", "&Wybór portu": "&Port", "Aktualizacja &FirmWare": "&Firmware update",
        "&Koniec pracy": "E&xit", "&Pomoc": "&Help", "&Język / Language": "&Język / Language",
        "&Powtórz": "Re&peat", "&Odczyt ze sterownika": "&Read from controller",
        "Odczyt z &pliku": "Read from &file", "&Edycja": "&Edit", "&Weryfikacja": "&Verify",
        "Zapis &do pliku": "&Save to file", "Zapis do &sterownika": "&Write to controller",
        "&Zatrzymaj": "S&top", "&Restart sterownika": "Restart &controller", "&Auto": "&Auto",
        "&Wyszukiwanie": "&Search", "&Instalowanie": "&Install", "We&ryfikacja": "&Verify",
        "Opis &Programu": "Program &description", "&O programie": "&About", "&Podręcznik": "&Manual",
        "&Scen": "&Scenes", "&Ustawień": "S&ettings", "&MIDI": "&MIDI", "&Sceny": "&Scenes",
        "&Ustawienia": "S&ettings", "Przypisania &MIDI": "&MIDI assignments", "&Wszystko": "&All",
        "Zapis z&mian do sterownika": "Write c&hanges to controller",
        "&Cofnij ostatni zapis": "&Undo the last write", "Cofnij zapis z dzie&nnika...": "Undo a write from a &journal...",
    },
    "MidiDialog": {
        "Edycja przypisań MIDI": "MIDI assignments", "Numer klawisza MIDI": "MIDI key number",
        "Nuta / Oktawa": "Note / Octave", "Wyzwalanie w obszarach": "Triggers in\nareas",
        "Przypisanie w obszarach": "Assigned in\nareas", "Przypisana scena :": "Assigned scene:",
        "Program": "Program", "Scena": "Scene", "Koniec": "Close", "Wycofaj zmiany": "Undo changes",
        "Zatwierdź": "Apply",
    },
    "SceneEditorDialog": {
        "Program": "Program", "MIDI": "MIDI", "Muzyka": "Music", "Ręczna": "Manual", "Auto": "Auto",
        "Scena": "Scene", " END": " END", "Ładuj": "Load", "Zatwierdź": "Apply", "Koniec": "Close",
        "Urządzenia": "Devices", "Kanały": "Channels",
    },
    "SettingsDialog": {
        "Ustawienia": "Settings", "Klawisze specjalne": "Special keys", "Klawisz": "Key", "Program": "Program",
        "Scena": "Scene", "Tryb": "Mode", '"strobe"': '"strobe"', "Kolekcje": "Collections", "Numer": "Number",
        "Ob. 1": "Ar. 1", "Ob. 2": "Ar. 2", "Ob. 3": "Ar. 3", "Parametry programów": "Program parameters",
        "End": "End", "Synchronizacja": "Synchronisation", "SPEED": "SPEED", "FADE": "FADE",
        "Skala czasu": "Time scale", "Tryb spowolniony": "Slow mode", "Koniec": "Close", "Zatwierdź": "Apply",
    },
    "Texts": {
        "Zapis zmian": "Writing changes",
        "Cofnięcie zapisu": "Undoing a write",
        "Zapis zmian zakończony sukcesem !": "Changes written successfully!",
        "Zapis zmian zakończony z ostrzeżeniami !": "Changes written with warnings!",
        "Cofnięcie zapisu zakończone sukcesem !": "Write undone successfully!",
        "Cofnięcie zapisu zakończone z ostrzeżeniami !": "Write undone with warnings!",
        "Zapis zmian przerwany !": "Writing the changes was interrupted!",
        "Cofnięcie zapisu przerwane !": "Undoing the write was interrupted!",
        "Zapisane bloki : %1": "Blocks written: %1",
        "Bloki bez zmian : %1": "Blocks already equal: %1",
        "Dziennik cofania : %1": "Undo journal: %1",
        "Nic nie zapisano, dziennik nie był potrzebny.": "Nothing was written; no journal was needed.",
        "Nie można utworzyć dziennika zmian !\nZapis nie został rozpoczęty.": "The undo journal cannot be created!\nThe write was not started.",
        "Błąd zapisu dziennika zmian !\nZapis został przerwany przed wysłaniem bloku.": "The undo journal could not be written!\nThe write was stopped before the block was sent.",
        "Brak dziennika zapisu do cofnięcia !": "There is no write journal to undo!",
        "Błędny dziennik zapisu !": "Bad write journal!",
        "Przywrócić w sterowniku bloki z dziennika ?": "Restore the journal's blocks in the controller?",
        "Błąd weryfikacji cofnięcia zapisu : blok %1": "Undo verification error: block %1",
        "Pytanie": "Question",
        "Cofnij zapis z dziennika": "Undo a write from a journal",
        "Niepowodzenie": "Failure", "Ostrzeżenie": "Warning", "Mamy problem": "We have a problem",
        "Mamy problem :": "We have a problem:", "Klęska !": "Defeat!", "Sukces !": "Success!",
        "Sukces ?": "Success?", "Jesteś pewien ?": "Are you sure?", "Deaktualizacja ?": "Downgrade?",
        "Są różnice !": "They differ!",
        "\tSceny": "\tScenes", "\tUstaw.": "\tSettings", "\tMIDI": "\tMIDI", "\tWersja": "\tVersion",
        "\tFirmWare": "\tFirmware", "\tN/A": "\tN/A", "\tZapis do Qz418": "\tWriting to Qz418",
        "\tOdczyt z Qz418": "\tReading from Qz418", "\tWeryfikacja": "\tVerifying",
        "\tOdczyt z pliku": "\tReading a file", "\tZapis do pliku": "\tSaving a file", "\tGotowe": "\tReady",
        "\tPlik": "\tFile", "\tEdycja": "\tEditing", "\tInicjowanie": "\tPreparing", "\tAktualizowanie": "\tUpdating",
        "Musisz wybrać dostępny port szeregowy !": "You must choose an available serial port!",
        "Brak dostępnych portów szeregowych": "No serial ports available",
        "Nie znalazłem sterownika Kavira OB !\nPodłącz urządzenie, przygotuj do transmisji\ni spróbuj ponownie.":
            "Kavira OB controller not found!\nConnect the device, get it ready to transfer\nand try again.",
        "Błąd otwarcia portu !": "Cannot open the port!", "Błąd konfiguracji portu !": "Cannot configure the port!",
        "Kod błędu : %1": "Error code: %1", "Błąd programu !": "Program error!",
        "Błąd komunikacji : %1": "Communication error: %1", "brak danych : %1": "missing data: %1",
        "suma kontrolna = %1": "checksum = %1", "adres zwrotny %1": "returned address %1",
        "Błąd protokołu": "Protocol error",
        "Brak uprawnień do %1. Dodaj swoje konto do grupy %2 (sudo usermod -aG %2 $USER), a potem wyloguj się i zaloguj ponownie.":
            "No permission for %1. Add your account to the group %2 (sudo usermod -aG %2 $USER), then log out and log in again.",
        "Port jest zajęty: inny program ma go otwartego na wyłączność.":
            "The port is busy: another program has it open exclusively.",
        "Port jest zajęty: plik blokady %1.": "The port is busy: lock file %1.",
        "Port jest zajęty: trzyma go proces %1%2, plik blokady %3.":
            "The port is busy: process %1%2 holds it, lock file %3.",
        "%1 to %2, a nie port szeregowy.": "%1 is %2, not a serial port.",
        "Nie ma urządzenia %1; %2 w bieżącym folderze to %3.": "There is no device %1; %2 in the current folder is %3.",
        "urządzenie: podaj je jako ./%1": "a device: give it as ./%1",
        "%1, a nie port szeregowy": "%1, not a serial port",
        "folder": "a folder", "zwykły plik": "a regular file", "potok nazwany (FIFO)": "a named pipe (FIFO)",
        "gniazdo": "a socket", "urządzenie blokowe": "a block device", "nie urządzenie": "not a device",
        "Kontynuować sprawdzanie ?": "Continue checking?",
        "Błąd weryfikacji : scena %1 kanał %2": "Verification error: scene %1 channel %2",
        "Błąd weryfikacji : kanał MIDI %1": "Verification error: MIDI channel %1",
        "Błąd weryfikacji końca programu : program %1": "Verification error in the program end: program %1",
        "Błąd weryfikacji prędkości i synchro : program %1": "Verification error in speed and sync: program %1",
        "Błąd weryfikacji fadingu : program %1": "Verification error in fading: program %1",
        "Błąd weryfikacji trybu klawiszy specjalnych ": "Verification error in the special keys mode ",
        "Błąd weryfikacji trybu zwolnionego ": "Verification error in the slow mode ",
        "Błąd weryfikacji wyboru strobu ": "Verification error in the strobe choice ",
        "Błąd weryfikacji wyboru zadymienia ": "Verification error in the fog choice ",
        "Błąd weryfikacji wyboru sceny ekstra ": "Verification error in the extra scene choice ",
        "Błąd weryfikacji kolekcji nr %1 obszar %2:": "Verification error in collection %1 area %2:",
        "Błąd weryfikacji aktualizacji : linia %1\n Jeżeli weryfikacja nie powiedzie się,\nkonieczna będzie  powtórna aktualizacja !!! ":
            "Update verification error: line %1\n If the verification fails,\nthe update must be installed again!!! ",
        "Weryfikacja zakończona sukcesem !": "Verification ended successfully!",
        "Weryfikacja zakończona z ostrzeżeniami !": "Verification ended with warnings!",
        "Wybierz plik z danymi :": "Choose a data file:", "Wybierz plik do zapisu :": "Choose a file to save to:",
        "Wybierz plik z aktualizacją :": "Choose an update file:", "Zawartość scen": "Scene contents",
        "Nastawy programów": "Program settings", "Przypisania MIDI": "MIDI assignments",
        "Aktualizacje": "Updates", "Wszystkie pliki": "All files",
        "Błędny obszar : %1 !": "Wrong area: %1!", "Błędna akcja : %1 !": "Wrong action: %1!",
        "Plik %1 nie istnieje !": "File %1 does not exist!", "Błąd otwarcia pliku !": "Cannot open the file!",
        "%1 :\nBłąd odczytu !": "%1:\nRead error!", "%1 :\nBrak dostępu do zapisu !": "%1:\nNo write access!",
        "%1 :\nBłąd zapisu !": "%1:\nWrite error!", "Nowe dane zapisano w: %1": "New data saved in: %1",
        "Bez zmian pozostały: %1": "Left unchanged: %1", "Nie zastąpiono żadnego pliku.": "No file was replaced.",
        "Nieprawidłowa zawartość pliku !": "Invalid file contents!",
        "Nieoczekiwany koniec pliku !": "Unexpected end of file!",
        "Nieprawidłowa długość pliku !": "Invalid file length!", "Błąd allokacji pamięci !": "Out of memory!",
        "Błąd odczytu pliku !": "Cannot read the file!", "Błąd sumy kontrolnej !": "Checksum error!",
        "Czy chcesz zainstalować w swoim Kavira-Oxbrine\nfirmware w wersji %1 ?":
            "Do you want to install firmware version %1\nin your Kavira-Oxbrine?",
        "Czy na pewno chcesz zastąpić w swoim Kavira-Oxbrine\nfirmware w wersji %1 wersją %2 ?":
            "Do you really want to replace firmware version %1\nin your Kavira-Oxbrine with version %2?",
        "Inna wersja firmware : %1 !\nKontynuować ?": "Different firmware version: %1!\nContinue?",
    },
    "kavira::BadDataAlert": {"Ostrzeżenie :": "Warning:", "Nieprawidłowa wartośc !": "Invalid value!"},
    "kavira::MainWindow": {
        "Plik pomocy nie jest na razie dostępny !": "The help file is not available yet!",
        "Brak dostępu !": "Not available!",
        "%1\nKaviraOB, wersja %2\n\nProgram do odczytu, edycji, zapisu i weryfikacji pamięci\nsterownika oświetlenia scenicznego qz418 Kavira Oxbrine\noraz do aktualizacji jego oprogramowania.\n\nProducent: Kavira, sterowniki oświetlenia scenicznego.":
            "%1\nKaviraOB, version %2\n\nA program that reads, edits, writes and verifies the memory\nof the qz418 Kavira Oxbrine stage-lighting controller\nand updates its firmware.\n\nMade by Kavira, stage-lighting controllers.",
        "O programie": "About",
        "UWAGA !!!\nWszystkie zmiany nie zapisane do pliku\nlub do sterownika zostaną utracone !!!\nCzy na pewno chcesz zakończyć ?":
            "ATTENTION!!!\nAll changes not saved to a file\nor written to the controller will be lost!!!\nDo you really want to exit?",
        "Podręcznik": "Manual",
        "Program komunikacyjny qz418 Kavira Oxbrine <--> PC": "qz418 Kavira Oxbrine <--> PC communication program",
    },
    "kavira::MessageBox": {
        "OK": "OK", "Ponów próbę": "Retry", "Anuluj": "Cancel", "Tak": "Yes", "Nie": "No", "Przerwij": "Abort",
        "Ignoruj": "Ignore",
    },
    "kavira::RangeDialog": {
        "Zakres scen": "Scene range", "Program": "Program", "Scena ": "Scene ", "Sceny od :": "Scenes from:",
        "Sceny do :": "Scenes to:", "Wszystkie": "All", "OK": "OK", "Cancel": "Cancel",
        "Numer programu musi zawierać się\npomiędzy 1 a %1 !": "The program number must lie\nbetween 1 and %1!",
        "Scena musi zawierać się\npomiędzy %1 a %2 !": "The scene must lie\nbetween %1 and %2!",
        "Numer programu musi zawierać się\npomiędzy %1 a %2 !": "The program number must lie\nbetween %1 and %2!",
    },
    "kavira::SceneEditorDialog": {
        "Niejednoznaczny wybór urządzeń !\nZostaną załadowane nastawy urządzenia %1-go !":
            "Ambiguous choice of devices!\nThe settings of device %1 will be loaded!",
        "Ostrzeżenie": "Warning", "Musisz wybrać rodzaj synchronizacji !": "You must choose a kind of synchronisation!",
        "Poprawka :": "Correction:",
    },
    "kavira::SettingsDialog": {
        "Czy usuwać błędne programy z kolekcji ?": "Remove the invalid programs from the collections?",
    },
}


def main(path):
    tree = ET.parse(path)
    missing = []
    for context in tree.getroot().findall("context"):
        name = context.find("name").text
        for message in context.findall("message"):
            source = message.find("source").text
            translation = message.find("translation")
            english = EN.get(name, {}).get(source)
            if english is None:
                if translation.get("type") == "unfinished":
                    missing.append((name, source))
                continue
            translation.text = english
            translation.attrib.pop("type", None)
    tree.write(path, encoding="utf-8", xml_declaration=True)
    with open(path, encoding="utf-8") as f:
        text = f.read()
    with open(path, "w", encoding="utf-8") as f:
        f.write(text.replace("<?xml version='1.0' encoding='utf-8'?>", '<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>'))
    for name, source in missing:
        print(f"untranslated: {name}: {source!r}")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
