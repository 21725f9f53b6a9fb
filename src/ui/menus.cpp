#include "ui/menus.h"

#include <QCoreApplication>
#include <array>

#include "link/commands.h"

namespace kavira {
namespace {

using E = MenuEntry;

constexpr E Cmd(const char* text, int id, bool greyed = false) {
  return {E::Command, text, id, nullptr, greyed, _NA_};
}
constexpr E Pop(const char* text, const char* submenu, _akcja highlight = _NA_, int id = 0) {
  return {E::Popup, text, id, submenu, false, highlight};
}
constexpr E Sep() {
  return {E::Separator, nullptr, 0, nullptr, false, _NA_};
}

constexpr std::array kBar{
    Pop(QT_TRANSLATE_NOOP("Menus", "&Akcja"), kActionMenu),
    Pop(QT_TRANSLATE_NOOP("Menus", "&Wybór portu"), kPortMenu),
    Pop(QT_TRANSLATE_NOOP("Menus", "Aktualizacja &FirmWare"), "Aktualizacja"),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Koniec pracy"), kIdQuit),
    Pop(QT_TRANSLATE_NOOP("Menus", "&Pomoc"), "Pomoc"),
    // Added after the original menus: the language of the program.
    Pop(QT_TRANSLATE_NOOP("Menus", "&Język / Language"), kLanguageMenu),
};
// Positions matter: 0 "&Powtórz" and 9 "&Zatrzymaj" are greyed by position, and highlighting
// positions 2, 3, 5, 6 and 7 records the action that the area menu under them starts.
constexpr std::array kActionEntries{
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Powtórz"), kIdRepeat, true),
    Sep(),
    Pop(QT_TRANSLATE_NOOP("Menus", "&Odczyt ze sterownika"), kAreaMenu, _read_),
    Pop(QT_TRANSLATE_NOOP("Menus", "Odczyt z &pliku"), kAreaMenu, _fread_),
    Pop(QT_TRANSLATE_NOOP("Menus", "&Edycja"), "Edycje"),
    Pop(QT_TRANSLATE_NOOP("Menus", "&Weryfikacja"), kAreaMenu, _verify_),
    Pop(QT_TRANSLATE_NOOP("Menus", "Zapis &do pliku"), kAreaMenu, _fsave_),
    Pop(QT_TRANSLATE_NOOP("Menus", "Zapis do &sterownika"), kAreaMenu, _write_),
    Sep(),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Zatrzymaj"), kIdStop, true),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Restart sterownika"), kIdRestart),
    Sep(),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Koniec pracy"), kIdQuit),
    // The changes-only write and its undo come after the original entries.
    Sep(),
    Pop(QT_TRANSLATE_NOOP("Menus", "Zapis z&mian do sterownika"), kAreaMenu, _write_, kIdChangesWrite),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Cofnij ostatni zapis"), kIdUndoLast),
    Cmd(QT_TRANSLATE_NOOP("Menus", "Cofnij zapis z dzie&nnika..."), kIdUndoJournal),
    // The sets of data files last loaded or saved (filled in by the window).
    Sep(),
    Pop(QT_TRANSLATE_NOOP("Menus", "Ostatnie pli&ki"), kRecentMenu),
};
constexpr std::array kPortEntries{
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Auto"), kIdAuto)};  // then one entry per listed port
constexpr std::array kFirmwareEntries{
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Wyszukiwanie"), kIdFirmwareSearch),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Instalowanie"), kIdFirmwareInstall),
    Cmd(QT_TRANSLATE_NOOP("Menus", "We&ryfikacja"), kIdFirmwareVerify),
};
// "&Podręcznik" (the program's own manual) comes after the original entries.
constexpr std::array kHelpEntries{Cmd(QT_TRANSLATE_NOOP("Menus", "Opis &Programu"), kIdProgramHelp),
                                  Cmd(QT_TRANSLATE_NOOP("Menus", "&O programie"), kIdAbout),
                                  Cmd(QT_TRANSLATE_NOOP("Menus", "&Podręcznik"), kIdManual)};
// The languages are named in their own language, the same in every translation.
constexpr std::array kLanguage{Cmd("Polski", kIdPolish), Cmd("English", kIdEnglish)};
constexpr std::array kEditEntries{
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Scen"), kIdEditScenes),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Ustawień"), kIdEditSettings),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&MIDI"), kIdEditMidi),
    // The whole show at a glance, its differences, and undo of the image's changes.
    Sep(),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Przegląd pokazu"), kIdOverview),
    Pop(QT_TRANSLATE_NOOP("Menus", "Poró&wnanie"), "Porównanie"),
    Sep(),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Cofnij edycję"), kIdUndoEdit, true),
    Cmd(QT_TRANSLATE_NOOP("Menus", "P&onów edycję"), kIdRedoEdit, true),
};
constexpr std::array kCompareEntries{
    Cmd(QT_TRANSLATE_NOOP("Menus", "ze &sterownikiem"), kIdCompareController),
    Cmd(QT_TRANSLATE_NOOP("Menus", "z &plikami..."), kIdCompareFiles),
};
constexpr std::array<MenuEntry, 0> kRecentEntries{};
constexpr std::array kAreaEntries{
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Sceny"), kIdScenes),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Ustawienia"), kIdSettings),
    Cmd(QT_TRANSLATE_NOOP("Menus", "Przypisania &MIDI"), kIdMidi),
    Cmd(QT_TRANSLATE_NOOP("Menus", "&Wszystko"), kIdEverything),
};

const std::array kTable{
    MenuDef{kMenuBarName, kBar},
    MenuDef{kActionMenu, kActionEntries},
    MenuDef{kPortMenu, kPortEntries},
    MenuDef{"Aktualizacja", kFirmwareEntries},
    MenuDef{"Pomoc", kHelpEntries},
    MenuDef{"Edycje", kEditEntries},
    MenuDef{kAreaMenu, kAreaEntries},
    MenuDef{kLanguageMenu, kLanguage},
    MenuDef{"Porównanie", kCompareEntries},
    MenuDef{kRecentMenu, kRecentEntries},
};

constexpr const char* kSourceProperty = "kaviraSource";

// An action showing a menu table text in the current language; the Polish source stays with it.
void SetEntryText(QAction* a, const char* text) {
  a->setProperty(kSourceProperty, QString::fromUtf8(text));
  a->setText(QCoreApplication::translate("Menus", text));
}

QString EscapeMnemonics(const std::string& s) {
  return QString::fromStdString(s).replace('&', "&&");
}

}  // namespace

std::span<const MenuDef> MenuTable() {
  return kTable;
}

const MenuDef* FindMenu(const std::string& name) {
  for (const MenuDef& m : kTable) {
    if (name == m.name) return &m;
  }
  return nullptr;
}

Menus::Menus(QMenuBar* bar, std::vector<std::string> ports) : bar_(bar), ports_(std::move(ports)) {
  // The area menu exists before "Akcje", which hangs it under six of its entries.
  menus_[kAreaMenu] = build(kAreaMenu, bar);
  const MenuDef* def = FindMenu(kMenuBarName);
  for (const MenuEntry& e : def->entries) {
    if (e.kind == MenuEntry::Popup) {
      auto* a = new QAction(bar);
      SetEntryText(a, e.text);
      a->setMenu(build(e.submenu, bar));
      bar->addAction(a);
    } else {
      QAction* a = bar->addAction(QString());
      SetEntryText(a, e.text);
      a->setData(e.id);
    }
  }
  for (QAction* a : menu(kLanguageMenu)->actions())
    a->setCheckable(true);
}

void Menus::retranslate() {
  auto update = [](QAction* a) {
    const QVariant source = a->property(kSourceProperty);
    if (source.isValid())
      a->setText(QCoreApplication::translate("Menus", source.toString().toUtf8().constData()));
  };
  for (QAction* a : bar_->actions())
    update(a);
  for (const auto& [name, m] : menus_) {
    for (QAction* a : m->actions())
      update(a);
  }
}

void Menus::checkLanguage(int id) const {
  for (QAction* a : menu(kLanguageMenu)->actions())
    a->setChecked(a->data().toInt() == id);
}

QMenu* Menus::build(const std::string& name, QWidget* parent) {
  if (auto it = menus_.find(name); it != menus_.end()) return it->second;
  const MenuDef* def = FindMenu(name);
  auto* menu = new QMenu(QString::fromStdString(name), parent);
  menu->setObjectName(QString::fromStdString(name));
  menus_[name] = menu;
  for (const MenuEntry& e : def->entries) {
    QAction* a = nullptr;
    switch (e.kind) {
      case MenuEntry::Separator:
        a = menu->addSeparator();
        break;
      case MenuEntry::Command:
        a = menu->addAction(QString());
        SetEntryText(a, e.text);
        a->setData(e.id);
        a->setEnabled(!e.greyed);
        break;
      case MenuEntry::Popup:
        // One action per entry: the same area menu hangs under six of them.
        a = new QAction(menu);
        SetEntryText(a, e.text);
        a->setData(e.id);
        a->setMenu(build(e.submenu, parent));
        menu->addAction(a);
        break;
    }
    if (name == kActionMenu) highlights_[a] = e.highlight;
  }
  if (name == kPortMenu) {
    for (std::size_t i = 0; i < ports_.size(); ++i) {
      QAction* a = menu->addAction(EscapeMnemonics(ports_[i]));
      a->setData(kIdFirstPort + static_cast<int>(i));
      a->setCheckable(true);
    }
  }
  return menu;
}

QMenu* Menus::menu(const std::string& name) const {
  auto it = menus_.find(name);
  return it == menus_.end() ? nullptr : it->second;
}

QAction* Menus::command(int id) const {
  for (QAction* a : bar_->actions()) {
    if (a->data().toInt() == id && !a->menu()) return a;
  }
  for (const auto& [name, m] : menus_) {
    for (QAction* a : m->actions()) {
      if (!a->menu() && !a->isSeparator() && a->data().toInt() == id) return a;
    }
  }
  return nullptr;
}

QAction* Menus::actionEntry(int position) const {
  const auto list = menu(kActionMenu)->actions();
  return position >= 0 && position < list.size() ? list[position] : nullptr;
}

std::optional<_akcja> Menus::highlightOf(const QAction* a) const {
  auto it = highlights_.find(a);
  if (it == highlights_.end()) return std::nullopt;
  return it->second;
}

QAction* Menus::portEntry(int index) const {
  const auto list = menu(kPortMenu)->actions();
  return index >= 0 && index + 1 < list.size() ? list[index + 1] : nullptr;
}

void Menus::checkPort(int index) const {
  const auto list = menu(kPortMenu)->actions();
  for (int i = 1; i < list.size(); ++i)
    list[i]->setChecked(i - 1 == index);
}

}  // namespace kavira
