#pragma once
// The window's side of "Deleted mail": the page's buttons, the grid's Enter and double-click, and
// the destination controls run the DeletedMail commands; an opened copy goes to the message
// reader; the page follows the store at every refresh tick while it is shown.

#include "screening/deleted_mail.h"

#include <QObject>
#include <QString>

#include <functional>

namespace kestrix {

class Screener;
class TForm1;
class TForm4;

class WindowDeletedMail : public QObject {
    Q_OBJECT
public:
    // whitelistFile: the current profile's whitelist file, asked at each restore.
    WindowDeletedMail(TForm1 &form, TForm4 &reader, Screener &screener,
                      std::function<QString()> whitelistFile);

    DeletedMail &mail() { return m_mail; }
    // After a profile load: the destination of its NAME.conf into the controls, the list anew.
    void profileLoaded();
    void sync();

    // The file "Save as .eml" writes to; a file dialog unless a test gives another answer.
    std::function<QString(const QString &suggested)> askSaveFile;

private:
    void followCurrent();
    void openCurrent();
    void restoreCurrent();
    void saveCurrent();
    void deleteCurrent();
    void emptyAll();

    TForm1 &m_form;
    TForm4 &m_reader;
    Screener &m_screener;
    std::function<QString()> m_whitelistFile;
    DeletedMail m_mail;
};

}  // namespace kestrix
