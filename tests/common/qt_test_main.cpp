// main() of the test executables that run Qt's event loop (serial port signals, timers) or start
// the program as a child process (Qt's process handling): both want an application object.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
