#include "ui/window_place.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace kestrix {

WindowPlace::WindowPlace(QWidget &window)
    : QObject(&window), m_window(window), m_place(window.pos(), window.size())
{
    window.installEventFilter(this);
    follow();
}

QRect WindowPlace::place() const
{
    if (settled() && !m_pending)
        return QRect(m_window.geometry().topLeft() - clientOffset(), m_window.size());
    return m_place;
}

void WindowPlace::restore(const QRect &place)
{
    // A maximised window keeps its own place (a profile round trip): the window manager puts
    // it back there, with the frame of a normal window, which is not known while maximised.
    const Qt::WindowStates large = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (place == m_place && (m_window.windowState() & large))
        return;
    m_place = place;
    if (settled()) {
        applyNow();
        return;
    }
    m_pending = true;
    m_window.resize(place.size());
    // A window that was never shown is mapped by Qt with its frame at this point; one that was
    // is put right when it settles.
    if (!m_window.isVisible())
        m_window.move(place.topLeft());
}

bool WindowPlace::settled() const
{
    const Qt::WindowStates away = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    const QWindow *handle = m_window.windowHandle();
    if (!m_window.isVisible() || (m_window.windowState() & away) || !handle ||
        !handle->isExposed())
        return false;
    // Under an X11 window manager a place needs the frame: until it is known, nothing is read.
    return !frame().isNull() || QGuiApplication::platformName() != QLatin1String("xcb");
}

QMargins WindowPlace::frame() const
{
    // Right after the window came back the window system may not have the frame yet and says
    // none; the window manager draws the same frame around the same window each time.
    const QMargins live = m_window.windowHandle()->frameMargins();
    return live.isNull() ? m_knownFrame : live;
}

QPoint WindowPlace::clientOffset() const
{
    const QMargins margins = frame();
    return QPoint(margins.left(), margins.top());
}

void WindowPlace::applyNow()
{
    m_pending = false;
    m_window.setGeometry(QRect(m_place.topLeft() + clientOffset(), m_place.size()));
}

void WindowPlace::follow()
{
    const Qt::WindowStates away = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    const QWindow *handle = m_window.windowHandle();
    if (handle && handle->isExposed() && !(m_window.windowState() & away)) {
        const QMargins live = handle->frameMargins();
        if (!live.isNull())
            m_knownFrame = live;
    }
    if (!settled())
        return;
    if (m_pending)
        applyNow();
    else
        m_place = place();
}

bool WindowPlace::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
        // The window system's window exists once the window is shown; its exposure tells when
        // the window manager has framed it.
        if (watched == &m_window && m_window.windowHandle() &&
            m_watchedHandle != m_window.windowHandle()) {
            m_watchedHandle = m_window.windowHandle();
            m_watchedHandle->installEventFilter(this);
        }
        follow();
        break;
    case QEvent::Expose:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        follow();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kestrix
