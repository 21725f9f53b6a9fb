#include "ui/menus.h"

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
    Pop("&Akcja", kAkcjeMenu),
    Pop("&Wybór portu", kPortMenu),
    Pop("Aktualizacja &FirmWare", "Aktualizacja"),
    Cmd("&Koniec pracy", kIdKoniec),
    Pop("&Pomoc", "Pomoc"),
};
// Positions matter: 0 "&Powtórz" and 9 "&Zatrzymaj" are greyed by position, and highlighting
// positions 2, 3, 5, 6 and 7 records the action that the area menu under them starts.
constexpr std::array kAkcje{
    Cmd("&Powtórz", kIdPowtorz, true),
    Sep(),
    Pop("&Odczyt ze sterownika", kWyborMenu, _read_),
    Pop("Odczyt z &pliku", kWyborMenu, _fread_),
    Pop("&Edycja", "Edycje"),
    Pop("&Weryfikacja", kWyborMenu, _verify_),
    Pop("Zapis &do pliku", kWyborMenu, _fsave_),
    Pop("Zapis do &sterownika", kWyborMenu, _write_),
    Sep(),
    Cmd("&Zatrzymaj", kIdZatrzymaj, true),
    Cmd("&Restart sterownika", kIdRestart),
    Sep(),
    Cmd("&Koniec pracy", kIdKoniec),
    // The changes-only write and its undo come after the original entries.
    Sep(),
    Pop("Zapis z&mian do sterownika", kWyborMenu, _write_, kIdChangesWrite),
    Cmd("&Cofnij ostatni zapis", kIdUndoLast),
    Cmd("Cofnij zapis z dzie&nnika...", kIdUndoJournal),
};
constexpr std::array kPort{Cmd("&Auto", kIdAuto)};  // then one entry per listed port
constexpr std::array kAktualizacja{
    Cmd("&Wyszukiwanie", kIdWyszukiwanie),
    Cmd("&Instalowanie", kIdInstalowanie),
    Cmd("We&ryfikacja", kIdWeryfikacjaFw),
};
constexpr std::array kPomoc{Cmd("Opis &Programu", kIdOpisProgramu), Cmd("&O programie", kIdOProgramie)};
constexpr std::array kEdycje{
    Cmd("&Scen", kIdEdycjaScen),
    Cmd("&Ustawień", kIdEdycjaUstawien),
    Cmd("&MIDI", kIdEdycjaMidi),
};
constexpr std::array kWybor{
    Cmd("&Sceny", kIdSceny),
    Cmd("&Ustawienia", kIdUstawienia),
    Cmd("Przypisania &MIDI", kIdMidi),
    Cmd("&Wszystko", kIdWszystko),
};

const std::array kTable{
    MenuDef{kMenuBarName, kBar}, MenuDef{kAkcjeMenu, kAkcje},
    MenuDef{kPortMenu, kPort},   MenuDef{"Aktualizacja", kAktualizacja},
    MenuDef{"Pomoc", kPomoc},    MenuDef{"Edycje", kEdycje},
    MenuDef{kWyborMenu, kWybor},
};

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

Menus::Menus(QMenuBar* bar, const std::vector<std::string>& ports) : bar_(bar), ports_(ports) {
  // The area menu exists before "Akcje", which hangs it under six of its entries.
  menus_[kWyborMenu] = build(kWyborMenu, bar);
  const MenuDef* def = FindMenu(kMenuBarName);
  for (const MenuEntry& e : def->entries) {
    if (e.kind == MenuEntry::Popup) {
      auto* a = new QAction(QString::fromUtf8(e.text), bar);
      a->setMenu(build(e.submenu, bar));
      bar->addAction(a);
    } else {
      QAction* a = bar->addAction(QString::fromUtf8(e.text));
      a->setData(e.id);
    }
  }
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
        a = menu->addAction(QString::fromUtf8(e.text));
        a->setData(e.id);
        a->setEnabled(!e.greyed);
        break;
      case MenuEntry::Popup:
        // One action per entry: the same area menu hangs under six of them.
        a = new QAction(QString::fromUtf8(e.text), menu);
        a->setData(e.id);
        a->setMenu(build(e.submenu, parent));
        menu->addAction(a);
        break;
    }
    if (name == kAkcjeMenu) highlights_[a] = e.highlight;
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

QAction* Menus::akcjeEntry(int position) const {
  const auto list = menu(kAkcjeMenu)->actions();
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

void Menus::checkPort(int index) {
  const auto list = menu(kPortMenu)->actions();
  for (int i = 1; i < list.size(); ++i)
    list[i]->setChecked(i - 1 == index);
}

}  // namespace kavira
