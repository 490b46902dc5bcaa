#pragma once
// The start page (TabSheet1): title, addresses, counts, the data folder and a short
// description that stays centred in its panel.

#include <QWidget>

#include <string>

class QFrame;
class QLabel;
class QPlainTextEdit;

namespace kestrix {

class ClickLabel;

class StartPage : public QWidget {
    Q_OBJECT
public:
    explicit StartPage(QWidget *parent);

    // "Your IP is:" shows the address given last (showLocalIp, when the page is shown).
    void setLocalIp(const std::string &ip);
    void showLocalIp();
    // The "Data folder:" line.
    void showDataFolder(const QString &text);

    QLabel *Label5 = nullptr, *Label15 = nullptr, *Label17 = nullptr, *Label19 = nullptr;
    ClickLabel *Label21 = nullptr;
    QLabel *dataFolderLabel = nullptr;
    QFrame *Panel10 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void centreDescription();

    std::string m_localIp;
};

}  // namespace kestrix
