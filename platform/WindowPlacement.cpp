#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <array>

namespace vx {

namespace WindowPlacement {

namespace {

constexpr const char* PlacedProperty = "vxPlacedOnScreen";

QMargins marginsOf(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

}  // namespace

QRect fitted(QRect frame, const QRect& room) {
    frame.setSize(frame.size().boundedTo(room.size()));
    frame.moveLeft(std::clamp(frame.left(), room.left(), room.right() + 1 - frame.width()));
    frame.moveTop(std::clamp(frame.top(), room.top(), room.bottom() + 1 - frame.height()));
    return frame;
}

QRect beside(const QRect& anchor, QSize size, const QRect& room) {
    // Each side's free space, and where the window would start in it.
    const std::array<std::pair<QRect, QPoint>, 4> sides{{
        {QRect(QPoint(anchor.right() + 1 + Gap, room.top()), room.bottomRight()),
         QPoint(anchor.right() + 1 + Gap, anchor.top())},
        {QRect(QPoint(room.left(), anchor.bottom() + 1 + Gap), room.bottomRight()),
         QPoint(anchor.left(), anchor.bottom() + 1 + Gap)},
        {QRect(room.topLeft(), QPoint(anchor.left() - 1 - Gap, room.bottom())),
         QPoint(anchor.left() - Gap - size.width(), anchor.top())},
        {QRect(room.topLeft(), QPoint(room.right(), anchor.top() - 1 - Gap)),
         QPoint(anchor.left(), anchor.top() - Gap - size.height())},
    }};
    QRect best;
    for (const auto& [space, start] : sides) {
        if (space.width() <= 0 || space.height() <= 0) continue;
        const QRect there = fitted(QRect(start, size), space);
        if (there.size() == size) return there;
        const bool usable = there.width() * 2 >= size.width() && there.height() * 2 >= size.height();
        if (usable && there.width() * there.height() > best.width() * best.height()) best = there;
    }
    if (!best.isEmpty()) return best;
    return fitted(QRect(QPoint(anchor.right() + 1 + Gap, anchor.top()), size), room);
}

QRect besideMovingAnchor(QRect& anchor, QSize size, const QRect& room) {
    const auto area = [](const QRect& r) { return r.width() * r.height(); };
    const QRect there = beside(anchor, size, room);
    const bool covers = there.intersects(anchor);
    if (!covers && there.size() == size) return there;
    QRect cornered = anchor;
    cornered.moveTopLeft(room.topLeft());
    const QRect moved = beside(cornered, size, room);
    if (moved.intersects(cornered) || (!covers && area(moved) <= area(there))) return there;
    anchor = cornered;
    return moved;
}

QRect cascaded(const QRect& origin, int step, const QRect& room) {
    const int fit = std::min(room.right() - origin.right(), room.bottom() - origin.bottom()) / CascadeStep;
    const int n = (std::max(step, 1) - 1) % std::max(fit, 1) + 1;
    const QRect frame(origin.topLeft() + QPoint(n, n) * CascadeStep, origin.size());
    const QRect inside = frame & room;
    return fitted(inside.topLeft() == frame.topLeft() ? inside : frame, room);
}

QRect roomFor(const QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QMargins decoration(const QWidget& window, const QWidget& shown) {
    const QMargins own = marginsOf(window);
    return own.isNull() ? marginsOf(shown) : own;
}

void setFrame(QWidget& window, const QRect& frame, const QMargins& decoration) {
    window.resize(frame.size().shrunkBy(decoration));
    window.move(frame.topLeft());
}

bool placed(const QWidget& window) { return window.property(PlacedProperty).toBool(); }

void setPlaced(QWidget& window) { window.setProperty(PlacedProperty, true); }

void placeBeside(QWidget& window, QWidget& anchor) {
    if (placed(window)) return;
    const QMargins around = decoration(window, anchor);
    QRect anchorFrame = anchor.frameGeometry();
    const QSize size = window.size().grownBy(around);
    const QRect frame = placed(anchor) ? beside(anchorFrame, size, roomFor(anchor))
                                       : besideMovingAnchor(anchorFrame, size, roomFor(anchor));
    if (anchorFrame != anchor.frameGeometry()) anchor.move(anchorFrame.topLeft());
    setFrame(window, frame, around);
    setPlaced(window);
}

void placeCascaded(QWidget& window, const QWidget& origin, int step) {
    if (placed(window)) return;
    setFrame(window, cascaded(origin.frameGeometry(), step, roomFor(origin)), decoration(window, origin));
    setPlaced(window);
}

void placeCentred(QWidget& window) {
    if (placed(window)) return;
    const QRect room = roomFor(window);
    window.move(room.center() - window.rect().center());
    setPlaced(window);
}

}  // namespace WindowPlacement

QString RememberedPlaces::userFile() {
    // A folder name of its own: the application's name is its title, with spaces.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/vx7318kit/windows.conf";
}

bool RememberedPlaces::restore(QWidget& window, const QString& name) const {
    if (file_.isEmpty()) return false;
    const QByteArray geometry = QSettings(file_, QSettings::IniFormat).value(name + "/geometry").toByteArray();
    // The toolkit brings a place from a screen that is gone back onto this one.
    if (geometry.isEmpty() || !window.restoreGeometry(geometry)) return false;
    WindowPlacement::setPlaced(window);
    return true;
}

void RememberedPlaces::keep(const QWidget& window, const QString& name) const {
    // A window never shown has no place of the user's to keep.
    if (file_.isEmpty() || !window.testAttribute(Qt::WA_WState_ExplicitShowHide)) return;
    QSettings(file_, QSettings::IniFormat).setValue(name + "/geometry", window.saveGeometry());
}

}  // namespace vx
