#pragma once
// The messages page (TabSheet3): the banners, the grid's command bar, the message grid with its
// status line, the splitter and the header details pane, and the grid's context menu. It shows
// the Screener's table and runs the selection commands; deleting, whitelisting and reading a
// message are asked of the window by signals.

#include "profiles/token_store.h"

#include <QWidget>

#include <string>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QSplitter;
class QToolButton;

namespace kestrix {

class CaptionPanel;
class Screener;
class TWrapGrid;

class MessagesPage : public QWidget {
    Q_OBJECT
public:
    explicit MessagesPage(QWidget *parent);

    // The grid shows the Screener's table and keeps its flags, selection and details row there.
    void attachScreener(Screener &screener);
    void detachScreener();
    // A POP3 session is open (no selection commands meanwhile).
    void setConnectionOpen(bool open) { m_connectionOpen = open; }
    // The diagnostic user sees the whole header of the current row and "&M".
    void setDiagnosticMode(bool on);

    // Selection commands of the message grid.
    void selectAllUnknown();
    void selectKnownBad();
    void nextUnknown();
    void previousUnknown();
    void allowDeleteClicked(bool checked);
    void showDetails(int row);
    // The header details pane (Memo2) shows these lines; a virus hint turns it orange.
    void showDetailsText(const std::vector<std::string> &lines);
    void updateSelectionInfo();
    int detailsRow() const;
    void resetDetailsRow();
    bool hasMessages() const;
    // The enabling rules of the grid's commands, run by the window's refresh tick.
    void applyGridRules();
    // The banner picture blinks while the unknown-senders banner shows.
    void blinkBanner();

    // The list takes this share of the page's height (the split is kept per profile).
    double splitRatio() const { return m_splitRatio; }
    void setSplitRatio(double ratio) { m_splitRatio = ratio; }
    void fitSplit();

    QFrame *Panel4 = nullptr;
    CaptionPanel *Panel3 = nullptr, *Panel12 = nullptr;
    QLabel *shape4 = nullptr, *shape5 = nullptr, *Label24 = nullptr;
    QSplitter *Splitter1 = nullptr;
    QFrame *Panel14 = nullptr, *Panel1 = nullptr, *Panel2 = nullptr;
    QPushButton *button7 = nullptr, *button10 = nullptr, *Button66 = nullptr;
    QPushButton *ButtonRead = nullptr;  // "Read message": the selected row in the reader
    QToolButton *SpeedButton24 = nullptr, *SpeedButton27 = nullptr, *SpeedButton31 = nullptr,
                *SpeedButton32 = nullptr, *SpeedButton33 = nullptr;
    TWrapGrid *stringgrid1 = nullptr;
    QLabel *Label7 = nullptr, *Label8 = nullptr, *Label51 = nullptr, *Label6 = nullptr,
           *Label52 = nullptr, *Label48 = nullptr, *Label53 = nullptr, *StaticText1 = nullptr;
    QFrame *Shape3 = nullptr, *Shape2 = nullptr;
    QSpinBox *SpinEdit3 = nullptr;
    QPlainTextEdit *Memo2 = nullptr;
    QMenu *PopupMenu2 = nullptr;
    QAction *RemoveFromWhitelist1 = nullptr, *AddToWhitelist1 = nullptr,
            *SelectKnownBad1 = nullptr, *SelectAllUnknown1 = nullptr,
            *Deleteselectedmails1 = nullptr, *ReadMessage1 = nullptr;
    // "Mark as spam", "Mark as good": train the learned score on the selected rows.
    QAction *MarkAsSpam1 = nullptr, *MarkAsGood1 = nullptr;

signals:
    void deleteRequested();               // "Delete selected unknown", the menu's delete
    void addToWhitelistRequested();       // button7, "&Add to whitelist"
    void removeFromWhitelistRequested();  // SpeedButton31, "&Remove from whitelist"
    void readMessageRequested();          // "&M", "Read message", double-click and Enter

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void build();
    void buildBanners();
    void buildButtonRow();
    void buildStatusLine();
    void buildDetailsPane();
    void buildContextMenu();
    void connectControls();
    void gridMousePressed(Qt::MouseButton button, int row);
    // A press on the grid; a right-button press (also the arrow buttons' right click, row 0)
    // moves to the row under the pointer and sets the whitelist items.
    void prepareContextMenu(bool rightButton, int row);
    void goToUnknown(int row);  // the walks' common end: row -1 stays
    void markSelection(Judgement side);
    void readRow(int row);      // selects the row alone and asks to read it
    bool rowTrusted(int row) const;
    void splitterMoved();

    Screener *m_screener = nullptr;  // attached before any event reaches the page
    double m_splitRatio = 0.6;
    bool m_connectionOpen = false;
    bool m_diagnosticMode = false;
};

}  // namespace kestrix
