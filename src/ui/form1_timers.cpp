// The window's timers: the dispatcher tick (Timer2), the connection indicator and banner blinks
// (Timer4, Timer6), the hide-again step after a check from the tray (Timer1) and the poller
// that queues the new-mail check.
#include "ui/form1.h"

#include "screening/pending_command.h"
#include "screening/screener.h"
#include "screening/tray_control.h"
#include "ui/grid_paint_rules.h"
#include "ui/messages_page.h"
#include "ui/status_bar.h"
#include "ui/ui_widgets.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QTimer>

namespace kestrix {

namespace {

QTimer *makeTimer(QObject *parent, const char *name, int interval)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    return timer;
}

}  // namespace

void TForm1::createTimers()
{
    Timer1 = makeTimer(this, "Timer1", 3500);
    Timer2 = makeTimer(this, "Timer2", 50);
    Timer4 = makeTimer(this, "Timer4", 1000);
    Timer6 = makeTimer(this, "Timer6", 1000);
    // Until a CheckInterval other than the start value 2 is loaded or typed, the poller keeps
    // its design interval of one minute.
    Poller = makeTimer(this, "Poller", TrayControl::millisecondsPerMinute());
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(Timer4, &QTimer::timeout, this, &TForm1::Timer4Timer);
    connect(Timer6, &QTimer::timeout, this, &TForm1::Timer6Timer);
    connect(Poller, &QTimer::timeout, this, &TForm1::PollerTimer);
    // The dispatcher tick (Timer2) and the indicator (Timer4) read the Screener: they start when
    // one is attached.
    Timer6->start();
}

void TForm1::Timer2Timer()
{
    setConnectionOpen(m_screener->session.isOpen());
    m_screener->dispatcher.Timer2Timer();
}

void TForm1::Timer1Timer()
{
    Timer1->stop();
    if (m_trayControl)
        m_trayControl->Timer1Timer();
}

void TForm1::Timer4Timer()
{
    QFrame *shape1 = statusArea->shape1;
    if (shape1->isHidden())
        return;
    // Yellow while the session is being closed: the blinking stops.
    if (m_screener->session.closingSession) {
        setBackground(shape1, colours::yellow);
        return;
    }
    const QColor now = backgroundOf(shape1);
    if (now == colours::yellow)
        return;
    setBackground(shape1, now == colours::indicatorOrange ? colours::silver : colours::indicatorOrange);
}

void TForm1::Timer6Timer() { messagesPage->blinkBanner(); }

void TForm1::PollerTimer()
{
    m_screener->dispatcher.PollerTimer();
}

void TForm1::SpinEdit2Change(int minutes)
{
    if (const std::optional<int> interval = TrayControl::pollerIntervalMs(minutes)) {
        Poller->setInterval(*interval);
        Poller->start();
    } else {
        Poller->stop();
    }
}

}  // namespace kestrix
