// The menus, built from one table that also gives the positions the program greys and the actions
// that highlighting the "Akcje" entries records.
#pragma once

#include <QMenu>
#include <QMenuBar>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "link/link_state.h"

namespace kavira {

struct MenuEntry {
  enum Kind { Command, Popup, Separator } kind;
  const char* text;     // with its & mnemonic
  int id;               // command identifier (Command)
  const char* submenu;  // name of the pop-up's menu (Popup)
  bool greyed;          // at start
  _akcja highlight;     // recorded in `akcja` when highlighted (entries of "Akcje")
};

struct MenuDef {
  const char* name;
  std::span<const MenuEntry> entries;
};

inline constexpr const char* kMenuBarName = "KaviraOB<->PC";
inline constexpr const char* kActionMenu = "Akcje";
inline constexpr const char* kPortMenu = "Port";
inline constexpr const char* kAreaMenu = "Wybór";
inline constexpr const char* kLanguageMenu = "Language";

// Commands of the entries added after the original ones (the window program's own, not the core's).
enum : int {
  kIdManual = 190,
  kIdPolish = 191,
  kIdEnglish = 192,
  kIdOverview = 193,           // "Przegląd pokazu"
  kIdCompareController = 194,  // "Porównanie" with what the controller holds
  kIdCompareFiles = 195,       // "Porównanie" with a set of data files
  kIdUndoEdit = 196,           // "Cofnij edycję": the last change of the image
  kIdRedoEdit = 197,           // "Ponów edycję"
};
inline constexpr const char* kRecentMenu = "Ostatnie";

std::span<const MenuDef> MenuTable();
const MenuDef* FindMenu(const std::string& name);

// The menus of one window: built once, kept by name.
class Menus {
 public:
  // Builds the area menu "Wybór" first, then the bar with every other menu; `ports` are the entries of
  // "Port" after "&Auto" (identifiers 201 + index). Each command action carries its identifier as data.
  Menus(QMenuBar* bar, std::vector<std::string> ports);

  QMenu* menu(const std::string& name) const;
  // The action of a command identifier (the first one with it).
  QAction* command(int id) const;
  // Entry at `position` of the "Akcje" menu, separators counted.
  QAction* actionEntry(int position) const;
  // The action `a` highlights in "Akcje", or nothing when `a` is not one of its entries.
  std::optional<_akcja> highlightOf(const QAction* a) const;
  // Shows every entry's text in the current language.
  void retranslate();
  // The check mark of the language menu on the entry with this command.
  void checkLanguage(int id) const;
  // The check mark of the port menu on entry `index` (-1: none).
  void checkPort(int index) const;
  QAction* portEntry(int index) const;

 private:
  QMenu* build(const std::string& name, QWidget* parent);

  QMenuBar* bar_;
  std::vector<std::string> ports_;
  std::map<std::string, QMenu*> menus_;
  std::map<const QAction*, _akcja> highlights_;
};

}  // namespace kavira
