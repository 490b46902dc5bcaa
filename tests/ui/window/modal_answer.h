#pragma once
// Answers the next modal dialog (a message box or one of the window's dialogs) from a timer,
// so a test can run code that asks a question. The dialog's text is kept for the test.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace kestrix::test {

struct ModalAnswer {
    QString text;      // the message box's text
    int seen = 0;      // how many modal dialogs were answered
};

// Waits (on the event loop, polling every 10 ms) for a modal dialog and hands it to act.
inline void whenModal(ModalAnswer &answer, std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, &answer, act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            answer.text = box->text();
        ++answer.seen;
        act(modal);
    });
    timer->start();
}

inline void pressButton(ModalAnswer &answer, QMessageBox::StandardButton button)
{
    whenModal(answer, [button](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            box->button(button)->click();
    });
}

}  // namespace kestrix::test
