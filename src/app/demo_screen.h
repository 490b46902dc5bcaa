#pragma once
// The window screening its demo mailbox by itself, for the pictures of the README: it shows the
// start page, types the password from KESTRIX_DEMO_PASSWORD, presses the main button, waits
// for the dispatcher to finish, and saves "start-page.png" and "messages-page.png" as the
// screen shows the window; reads the current row's message from the grid's menu and saves
// "reader.png" (the reader over the window); deletes the known-bad messages (answering Yes) and
// saves the "Deleted mail" page with their copies as "deleted-mail-page.png"; then checks again
// with a mistyped password and saves "failed-login.png". Then it ends the program as "Program Exit" does.

#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>

#include <functional>

namespace kestrix {

class TForm1;
class WindowController;

class DemoScreen : public QObject {
    Q_OBJECT
public:
    DemoScreen(TForm1 &form, WindowController &controller, QString folder);

private:
    // Runs next once ready() holds (checked every 100 ms), or fails after 30 s.
    void after(std::function<bool()> ready, std::function<void()> next);
    void readFromTheGrid();
    void deleteKnownBad();
    void failedLogin();
    // The screen's pixels of the area (the window's frame when none is given).
    bool savePicture(const QString &fileName, QRect area = {});
    void fail(const char *why);

    TForm1 &m_form;
    WindowController &m_controller;
    QString m_folder;
    QTimer m_poll;
    int m_waited = 0;
};

}  // namespace kestrix
