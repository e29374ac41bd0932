#pragma once
// A window's control, found by its name; a missing one fails the test with
// that name instead of crashing the test program.
#include <QObject>
#include <QString>
#include <stdexcept>

template <class W>
W* control(const QObject& window, const QString& name) {
    W* found = window.findChild<W*>(name);
    if (!found) throw std::runtime_error("no control named " + name.toStdString());
    return found;
}
