// Steps the transfer engine from the Qt event loop: at once while it has work that needs no waiting,
// when the port reports activity, and at the engine's wake time (a read's silence or time-out). It never
// spins: between those events the thread sleeps in the event loop.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "link/clock.h"
#include "link/transfer_engine.h"

namespace kavira {

class EngineDriver : public QObject {
  Q_OBJECT

 public:
  EngineDriver(TransferEngine& engine, const Clock& clock, QObject* parent = nullptr);

  // Whether the engine may take a step now. The window program says no while a modal dialog, a
  // message box or a menu is open, so a transfer pauses until it closes.
  void setGate(std::function<bool()> mayStep) { gate_ = std::move(mayStep); }

 public slots:
  // Something may have changed: bytes arrived or left, a command set the link going.
  void kick();

 signals:
  // After every step.
  void stepped();
  // The link has gone idle.
  void idle();

 private:
  void run();
  void sleepUntil(SteadyTime at);
  // The timer for anything but a wake time.
  void startTimer(int ms);

  TransferEngine& engine_;
  const Clock& clock_;
  std::function<bool()> gate_;
  QTimer timer_;
  bool running_ = false;
  bool woken_ = false;
  bool kickPosted_ = false;
  SteadyTime armedAt_{};
};

}  // namespace kavira
