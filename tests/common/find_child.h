// Tests find a dialog's widgets by their object names, as Qt's own tools do, instead of through
// accessors that the program would carry only for them.
#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

namespace kavira::test {

// The widget of type W named `name` under `parent`. A name that is not there fails the test that
// asked for it (the exception names it) instead of crashing on a null pointer.
template <class W>
W* Child(const QObject& parent, const QString& name) {
  W* child = parent.findChild<W*>(name);
  if (child == nullptr) {
    throw std::runtime_error("no " + std::string(W::staticMetaObject.className()) + " named \"" +
                             name.toStdString() + "\"");
  }
  return child;
}

}  // namespace kavira::test
