#pragma once
// Shows text held by the logic classes in their windows' widgets. A widget is
// touched only when its text changes: a repaint per reading costs more than
// the reading.
#include <QLabel>
#include <QLineEdit>
#include <string>

namespace vx {

inline QString qt(const std::string& text) { return QString::fromStdString(text); }

inline void setText(QLabel* label, const std::string& text) {
    if (label->text() != qt(text)) label->setText(qt(text));
}

inline void setText(QLineEdit* edit, const std::string& text) {
    if (edit->text() != qt(text)) edit->setText(qt(text));
}

}  // namespace vx
