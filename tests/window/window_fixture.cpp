#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QTest>

#include "sim/demo_show.h"

namespace kavira::test {

void WindowTest::SetUp() {
  auto controller = std::make_unique<SimController>(SimOptions{Millis(0), false});
  auto show = std::make_unique<ControllerImage>();
  FillDemoShow(*show);
  controller->memory().loadImage(*show);
  std::string error;
  sim = PtySimulator::Start(std::move(controller), &error);
  ASSERT_TRUE(sim) << error;
  window = std::make_unique<MainWindow>(std::vector<std::string>{sim->path()});
  window->setPrompts(&host);
  window->runDialog = [this](QDialog& d) { return dialogs ? dialogs(d) : 0; };
  QObject::connect(window.get(), &MainWindow::searchDone, [this](bool f) {
    searchEnded = true;
    found = f;
  });
  window->resize(800, 560);
  window->show();
  window->startUp();
  ASSERT_TRUE(waitFor([&] { return searchEnded; }));
  ASSERT_TRUE(found);
  waitIdle();
}

void WindowTest::TearDown() {
  window.reset();
  if (sim) sim->stop();
  sim.reset();
}

bool WindowTest::waitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QTest::qWait(2);
  }
  return true;
}

void WindowTest::waitIdle() {
  const bool idle = waitFor([&] { return window->engine().link().status == _idle_; }, 20000);
  if (!idle) {
    auto& e = window->engine();
    const auto at = e.wakeAt();
    ADD_FAILURE() << "the link stayed busy: status " << e.link().status << " next "
                  << static_cast<int>(e.next()) << " Adres " << e.link().Adres << " wake in "
                  << (at ? std::chrono::duration_cast<Millis>(*at - std::chrono::steady_clock::now()).count()
                         : -999)
                  << " ms, frames " << framesReceived();
  }
}

void WindowTest::highlight(int position) {
  QMenu* actions = window->menus().menu(kActionMenu);
  emit actions->hovered(window->menus().actionEntry(position));
}

void WindowTest::trigger(int id) {
  QAction* a = window->menus().command(id);
  ASSERT_NE(a, nullptr) << id;
  a->trigger();
}

std::unique_ptr<ControllerImage> WindowTest::controllerImage() {
  auto i = std::make_unique<ControllerImage>();
  sim->withController([&](SimController& c) { c.memory().storeInto(*i); });
  return i;
}

std::size_t WindowTest::framesReceived() {
  return sim->withController([](SimController& c) { return c.received().size(); });
}

}  // namespace kavira::test
