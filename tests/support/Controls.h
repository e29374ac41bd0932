#pragma once
// A window's control found by its name; a missing one fails the test with the
// name instead of crashing the test program.
#include <QObject>
#include <stdexcept>

namespace vx {

template <class W>
W* control(const QObject& window, const QString& name) {
    if (W* found = window.findChild<W*>(name)) return found;
    throw std::runtime_error("no control named " + name.toStdString());
}

// The text a named label, edit box, check box or button shows.
inline std::string textOf(const QObject& window, const QString& name) {
    return control<QObject>(window, name)->property("text").toString().toStdString();
}

}  // namespace vx
