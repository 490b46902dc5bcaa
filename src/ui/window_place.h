#pragma once
// Where a top-level window sits as a profile keeps it: the top left corner of its frame and
// the size of its client area.
//
// On X11 the window manager frames a window after it is mapped, and takes the frame away again
// when it is hidden; in between Qt's idea of the frame lags behind. A position read or set in
// that time is off by the frame, and saving and restoring then moved the window one title bar
// up each time. So the place is read only from a window that is shown in its normal state and
// exposed (with a reparenting window manager a window is exposed only inside its frame), the
// frame is asked of the window system, not of Qt's cache, and a place restored while the window
// is not so is applied once it is. A hidden, minimised or maximised window keeps the place it
// had.

#include <QMargins>
#include <QObject>
#include <QRect>

class QWidget;

namespace kestrix {

class WindowPlace : public QObject {
public:
    explicit WindowPlace(QWidget &window);

    // The place to save: the one the window last settled at, or the one restored since.
    QRect place() const;
    // Puts the window's frame at place.topLeft() with a client area of place.size().
    void restore(const QRect &place);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool settled() const;
    QMargins frame() const;       // the window manager's frame around the client area
    QPoint clientOffset() const;  // from the frame's top left corner to the client area's
    void follow();
    void applyNow();

    QWidget &m_window;
    QObject *m_watchedHandle = nullptr;  // the window system's window, once there is one
    QRect m_place;
    QMargins m_knownFrame;  // the frame last seen around the window in its normal state
    bool m_pending = false;  // restored while not settled: applied once the window settles
};

}  // namespace kestrix
