#pragma once
// Where windows open: beside another window or cascaded from it, always
// within the screen's free area, and where the user left them last time.
//
// Rectangles are frame rectangles (title bar and border included), as the
// user sees a window on the screen.
#include <QMargins>
#include <QRect>
#include <QString>

class QWidget;

namespace vx {

namespace WindowPlacement {

constexpr int Gap = 8;
constexpr int CascadeStep = 24;

// A frame of `size` beside `anchor` in `room`: right, below, left or above,
// the first side that holds it whole; else the side that holds most of it,
// shrunk to fit there. Over the anchor only when no side holds half of it.
QRect beside(const QRect& anchor, QSize size, const QRect& room);
// As beside; but where that would cover the anchor or shrink the window, and
// the anchor in the room's top-left corner would leave it more room, the
// anchor moves there first (and `anchor` says where it went).
QRect besideMovingAnchor(QRect& anchor, QSize size, const QRect& room);
// The step-th window (1, 2, ...) of a cascade down and right from `origin`,
// of the origin's size; the cascade starts over when it would leave `room`.
QRect cascaded(const QRect& origin, int step, const QRect& room);
// `frame` moved, and shrunk where it must be, into `room`.
QRect fitted(QRect frame, const QRect& room);

// The screen's free area where the window is, or would be shown.
QRect roomFor(const QWidget& window);
// What the window manager adds around a window; before a window is first
// shown it is not known, and the decoration of `shown` stands in for it.
QMargins decoration(const QWidget& window, const QWidget& shown);
// Moves and sizes a top-level window to the given frame.
void setFrame(QWidget& window, const QRect& frame, const QMargins& decoration);

// Each of these leaves a window that is already placed where it is.
// `window` opens beside `anchor`, which is on the screen; an anchor that the
// user has not placed makes way when the screen is too small for both.
void placeBeside(QWidget& window, QWidget& anchor);
// `window` opens as the step-th of a cascade from `origin`, at its size.
void placeCascaded(QWidget& window, const QWidget& origin, int step);
// `window` opens in the middle of the screen.
void placeCentred(QWidget& window);

// A window the program placed once, or whose place came from the last run,
// is left where it is from then on.
bool placed(const QWidget& window);
void setPlaced(QWidget& window);

}  // namespace WindowPlacement

// Window places kept between runs of the program in a settings file.
class RememberedPlaces {
public:
    // The user's own file, beside the desktop's other program settings.
    static QString userFile();

    // An empty file name remembers nothing (as in tests of other windows).
    explicit RememberedPlaces(QString file = {}) : file_(std::move(file)) {}

    // Puts the window where it was left last time, within today's screen,
    // and marks it placed. False when nothing was kept for it.
    bool restore(QWidget& window, const QString& name) const;
    void keep(const QWidget& window, const QString& name) const;

private:
    QString file_;
};

}  // namespace vx
