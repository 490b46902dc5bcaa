#pragma once
// The top bar (Panel8): row 1 the page buttons, row 2 the password field, the main button,
// the profile controls and the exit button. What the buttons run is wired by the window.

#include <QFrame>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace kestrix {

class ClickLabel;

class TopBar : public QFrame {
    Q_OBJECT
public:
    explicit TopBar(QWidget *parent);
    // The account ("user@host") on the bar; its tooltip holds the whole text.
    void showAccount(const QString &account);

    // row 1: the pages, the mail program, hiding, updates and help
    QToolButton *SpeedButton3 = nullptr, *SpeedButton4 = nullptr, *SpeedButton17 = nullptr,
                *SpeedButton18 = nullptr, *SpeedButton19 = nullptr, *SpeedButton7 = nullptr,
                *SpeedButton6 = nullptr, *SpeedButton13 = nullptr, *SpeedButton20 = nullptr,
                *SpeedButton21 = nullptr;
    QToolButton *SpeedButtonDeletedMail = nullptr;  // the "Deleted mail" page
    // row 2
    QLabel *Label4 = nullptr;
    QLineEdit *Edit4 = nullptr;
    QPushButton *Button1 = nullptr;
    QToolButton *SpeedButton30 = nullptr, *SpeedButton12 = nullptr, *SpeedButton15 = nullptr,
                *SpeedButton1 = nullptr;
    ClickLabel *Label28 = nullptr, *Label29 = nullptr, *Label32 = nullptr, *Label30 = nullptr;
};

}  // namespace kestrix
