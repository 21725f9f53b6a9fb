#include "platform/port_probe.h"

#include <cerrno>

#include "link/frames.h"

namespace kavira {

ProbeResult PortProbe::finish(ProbeResult r, int error) {
  stage_ = Stage::Done;
  result_ = r;
  error_ = error;
  return r;
}

void PortProbe::start() {
  port_.purge();
  stage_ = Stage::Writing;
  result_ = ProbeResult::Pending;
  if (const int e = port_.startWrite(kProbeFrame); e != 0) finish(ProbeResult::WriteFailed, e);
}

ProbeResult PortProbe::poll() {
  if (stage_ == Stage::Writing) {
    const IoPoll w = port_.pollWrite();
    if (w.state == IoState::Pending) return result_;
    if (w.state == IoState::Failed) {
      // A write that merely times out (a port that cannot send) is a port that does not answer;
      // any other failure is the system's error.
      return w.error == port_.errorCode(LineError::TimedOut) ? finish(ProbeResult::NoAnswer)
                                                             : finish(ProbeResult::WriteFailed, w.error);
    }
    if (port_.startRead(kProbeFrame.size()) != 0) return finish(ProbeResult::NoAnswer);
    stage_ = Stage::Reading;
  }
  if (stage_ == Stage::Reading) {
    const IoPoll r = port_.pollRead();
    if (r.state == IoState::Pending) return result_;
    if (r.state == IoState::Failed) return finish(ProbeResult::NoAnswer);
    return finish(IsAck(port_.received()) ? ProbeResult::Answered : ProbeResult::NoAnswer);
  }
  return result_;
}

SearchVerdict DecideSearch(const std::vector<ProbeResult>& results) {
  for (std::size_t i = 0; i < results.size(); ++i) {
    const int index = static_cast<int>(i);
    switch (results[i]) {
      case ProbeResult::Pending:
        return {SearchVerdict::Pending, -1};
      case ProbeResult::Answered:
        return {SearchVerdict::Found, index};
      case ProbeResult::WriteFailed:
        return {SearchVerdict::WriteFailed, index};
      case ProbeResult::NoAnswer:
        break;
    }
  }
  return {SearchVerdict::NotFound, -1};
}

}  // namespace kavira
