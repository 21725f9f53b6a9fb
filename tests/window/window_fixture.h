// The window program against a simulated controller on a pseudo-terminal, with every box and file
// dialog answered by a script.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QMenu>
#include <functional>
#include <memory>

#include "link/commands.h"
#include "platform/pty_simulator.h"
#include "scripted_host.h"
#include "ui/main_window.h"
#include "ui/menus.h"

namespace kavira::test {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the event loop until `done` holds or `ms` pass; false on time-out.
  bool waitFor(const std::function<bool()>& done, int ms = 30000);
  // Runs the event loop until the link is idle.
  void waitIdle();
  // Highlights the entry at `position` of "Akcje", as moving the mouse over it does.
  void highlight(int position);
  // Runs a menu command through its menu entry.
  void trigger(int id);
  std::unique_ptr<ControllerImage> controllerImage();
  std::size_t framesReceived();

  std::unique_ptr<PtySimulator> sim;
  std::unique_ptr<MainWindow> window;
  ScriptedHost host;
  // Drives the program's modal dialogs (range, editors); default: cancel them.
  std::function<int(QDialog&)> dialogs;
  bool searchEnded = false;
  bool found = false;
};

}  // namespace kavira::test
