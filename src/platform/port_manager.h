// The program's serial port: the candidate list (PortName), the index of the port in use (PortNr),
// the open port, opening one (OpenPort) and searching them all for the controller (SzukajPortu).
//
// The search probes every listed port at the same time, so it takes about one probe time-out
// (3 x 120 + 120 ms) however many ports there are, and it runs from the event loop: startSearch()
// returns at once and searchFinished() reports the outcome. The port chosen is still the first in
// list order that answered, and the messages are those of a search that tries the ports one by one.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/host.h"
#include "platform/line_port.h"
#include "platform/port_probe.h"

namespace kavira {

// How OpenPort reports failure: `_praca_` with the program's warning boxes, `_test_` silently.
enum _tryby : int { _praca_ = 0, _test_ = 1 };

// Why the last OpenPort failed, with what to do about it where there is something to do.
struct OpenFailure {
  std::string port;
  OpenStage stage = OpenStage::NotOpened;
  int error = 0;
  // What the port really is (a folder, a file...), who holds a busy port, or how to get the permission
  // (PermissionHint); empty when there is nothing to add.
  Message hint;
};

class PortManager : public QObject {
  Q_OBJECT

 public:
  PortManager(const Clock& clock, Host& host, QObject* parent = nullptr);
  ~PortManager() override;

  // The candidates in search order, and the index of the port being opened or in use.
  std::vector<std::string> PortName;
  int PortNr = 0;

  // The open port, or nothing.
  LinePort* port() const { return port_.get(); }
  // The index of the open port (the port menu's check mark), or -1 when none is open.
  int openIndex() const { return port_ ? PortNr : -1; }

  // Opens PortName[PortNr] in place of the current port: 0, or -2 on failure (with the warning box in
  // `_praca_`). The failure stays readable in lastOpenFailure(), already while the box is up.
  int OpenPort(_tryby tryb);
  const std::optional<OpenFailure>& lastOpenFailure() const { return lastFailure_; }
  // A choice in the port menu: opens entry `index` with the warnings.
  int choosePort(int index);
  void closePort();

  // Starts a search; searchFinished() follows (possibly before this returns, when every port fails
  // to open). A search already running is left to finish.
  void startSearch();
  bool searching() const { return !candidates_.empty(); }
  // The search as one call, for the command-line program: runs a local event loop until it ends.
  // 1 when found (the port stays open, PortNr is its index), 0 when not.
  int SzukajPortu();

 signals:
  void searchFinished(bool found);
  // The open port reported activity (bytes arrived or left, the line failed).
  void portActivity();

 private:
  struct Candidate;

  void evaluate();
  void finishSearch(const SearchVerdict& verdict);
  void adopt(std::unique_ptr<LinePort> port);

  const Clock& clock_;
  Host& host_;
  std::unique_ptr<LinePort> port_;
  std::optional<OpenFailure> lastFailure_;
  std::vector<std::unique_ptr<Candidate>> candidates_;
  QTimer timer_;
};

}  // namespace kavira
