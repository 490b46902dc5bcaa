#pragma once
// The thin progress bar and the status bar (Panel9) under the pages: new-mail picture, status
// text, "Empty Server", "Allow delete of accepted", the update notice and the connection
// indicator, which turns green when a connection has ended.

#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QProgressBar;
class QToolButton;

namespace kestrix {

class ClickLabel;

class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(QWidget *parent);

    QProgressBar *ProgressBar1 = nullptr;
    QFrame *Panel9 = nullptr;
    QLabel *Image3 = nullptr, *statustext = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QLabel *Label46 = nullptr;
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr;
    ClickLabel *StaticText2 = nullptr;
    QFrame *shape1 = nullptr;
    // The lock and protocol of the last connection ("TLS 1.3", "Not encrypted" in the warning
    // colour); its tooltip names the certificate. Hidden until the first session.
    QToolButton *ProtectionIndicator = nullptr;
    void showProtection(bool encrypted, const QString &caption, const QString &tip);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

}  // namespace kestrix
