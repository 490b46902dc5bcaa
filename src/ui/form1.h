#pragma once
// TForm1: the main window. It shows the pages, the top bar, the message grid and the status
// bar over one Screener, attached before the window is used (WindowController does it); the
// screening logic reaches the widgets through WindowView. It never talks to the server: a
// server operation is asked for by queuing a command code (commandQueued), which the
// dispatcher runs.

#include "profiles/profile_settings.h"
#include "profiles/profile_store.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QSplitter;
class QStackedWidget;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;

namespace kestrix {

class CaptionPanel;
class ClickLabel;
class HeaderStore;
class LogTableModel;
class MessageTable;
class Screener;
class TForm3;
class TForm5;
class TrayControl;
class TTBNArea;
class TextListModel;
class TWrapGrid;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // --- The Screener the window shows and drives (attached once, outlives the window's use)
    // The window shows the Screener's table and keeps the grid flags, the selection, the
    // details row and the queued command in it. Starts the refresh tick.
    void attachScreener(Screener &screener);
    // Lets go of the Screener before it is destroyed: the window hides, stops its timers and
    // stops painting its table.
    void detachScreener();
    Screener &screener() const { return *m_screener; }
    // A POP3 session is open (no selection commands meanwhile).
    void setConnectionOpen(bool open) { m_connectionOpen = open; }
    // The local address shown on the start page ("Your IP is:").
    void setLocalIp(const std::string &ip);
    // Whether a tray icon is in the notification area; without one, closing the window or
    // "Hide" must not leave an invisible program behind.
    void setTrayIconPresent(bool present) { m_trayIconPresent = present; }
    bool trayIconPresent() const;
    bool isBusy() const { return m_busy; }
    // The busy state and its wait cursor.
    void setBusy(bool busy);
    // The header details pane (Memo2) shows these lines; a virus hint turns it orange.
    void showDetailsText(const std::vector<std::string> &lines);
    // Makes a page of PageControl1 the active one and tells who shows its counts.
    void showPageWidget(QWidget *page);

    // Profile settings: the controls that hold them, and the window geometry.
    void showSettings(const ProfileSettings &settings);
    void collectSettings(ProfileSettings &settings) const;
    void applyGeometry(const ProfileSettings &settings);
    void storeGeometry(ProfileSettings &settings) const;
    double splitRatio() const { return m_splitRatio; }

    // --- Handlers (also run by tests and by the dispatcher stage) ------------------------
    void Button1Click();
    void SpeedButton30Click();  // "/ All"
    void Button10Click();       // "Delete selected unknown", "Delete selected mail"
    void ProgramExit();         // "Program Exit": ends the program unless busy
    void HideWindow();          // "Hide"
    void refreshTick();         // the enabling rules, run every 70 ms
    void configPrevious();
    void configNext();
    void showConfigAccounts();
    QWidget *activePage() const;
    // The start page's "Data folder:" line.
    void showDataFolder(const QString &text);

    // Selection commands of the message grid.
    void selectAllUnknown();
    void selectKnownBad();
    void nextUnknown();
    void previousUnknown();
    void allowDeleteClicked(bool checked);
    void showDetails(int row);
    void updateSelectionInfo();
    int detailsRow() const;
    void resetDetailsRow();
    bool diagnosticMode() const;

    // --- Controls, by their component names ----------------------------------------------
    // top bar
    QFrame *Panel8 = nullptr;
    QToolButton *SpeedButton3 = nullptr, *SpeedButton4 = nullptr, *SpeedButton17 = nullptr,
                *SpeedButton18 = nullptr, *SpeedButton19 = nullptr, *SpeedButton7 = nullptr,
                *SpeedButton6 = nullptr, *SpeedButton13 = nullptr, *SpeedButton20 = nullptr,
                *SpeedButton21 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Edit4 = nullptr;
    QPushButton *Button1 = nullptr;
    QToolButton *SpeedButton30 = nullptr, *SpeedButton12 = nullptr, *SpeedButton15 = nullptr,
                *SpeedButton1 = nullptr;
    ClickLabel *Label28 = nullptr, *Label29 = nullptr, *Label32 = nullptr, *Label30 = nullptr;
    // pages
    QStackedWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr,
            *TabSheet4 = nullptr, *TabSheet5 = nullptr, *TabSheet6 = nullptr,
            *TabSheet7 = nullptr;
    // start page
    QLabel *Label5 = nullptr, *Label15 = nullptr, *Label17 = nullptr, *Label19 = nullptr;
    ClickLabel *Label21 = nullptr;
    QLabel *dataFolderLabel = nullptr;  // the folder of the state files (showDataFolder)
    QFrame *Panel10 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    // configuration page
    QTabWidget *PageControl2 = nullptr;
    QWidget *TabSheet8 = nullptr, *TabSheet9 = nullptr, *TabSheet10 = nullptr,
            *TabSheet11 = nullptr, *TabSheet12 = nullptr, *TabSheet13 = nullptr;
    QFrame *Panel7 = nullptr;
    QPushButton *Button13 = nullptr, *Button11 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    // "Security" on the account sub-page: Automatic / TLS / STARTTLS required / None, in the
    // order of SecurityMode; kept in NAME.conf.
    QComboBox *ComboBoxSecurity = nullptr;
    QToolButton *SpeedButton16 = nullptr, *SpeedButton14 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit5 = nullptr,
              *Edit6 = nullptr;
    QSpinBox *SpinEdit1 = nullptr, *SpinEdit2 = nullptr;
    QCheckBox *CheckBox9 = nullptr, *CheckBox5 = nullptr, *CheckBox7 = nullptr,
              *CheckBox3 = nullptr, *CheckBox4 = nullptr, *CheckBox6 = nullptr;
    QCheckBox *CheckBoxDecodeAll = nullptr;  // the profile's "[headers] decodeAll"
    QToolButton *SpeedButton5 = nullptr, *SpeedButton22 = nullptr, *SpeedButton23 = nullptr,
                *SpeedButton11 = nullptr;
    QGroupBox *RadioGroup1 = nullptr;
    QButtonGroup *RadioGroup1Items = nullptr;
    QPushButton *button16 = nullptr;
    QLabel *Label10 = nullptr, *Label13 = nullptr, *Label25 = nullptr;
    CaptionPanel *Panel13 = nullptr;
    // messages page
    QFrame *Panel4 = nullptr;
    CaptionPanel *Panel3 = nullptr, *Panel12 = nullptr;
    QLabel *shape4 = nullptr, *shape5 = nullptr, *Label24 = nullptr;
    QSplitter *Splitter1 = nullptr;
    QFrame *Panel14 = nullptr, *Panel1 = nullptr, *Panel2 = nullptr;
    QPushButton *button7 = nullptr, *button10 = nullptr, *Button66 = nullptr;
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
            *Deleteselectedmails1 = nullptr;
    // progress and status bar
    QProgressBar *ProgressBar1 = nullptr;
    QFrame *Panel9 = nullptr;
    QLabel *Image3 = nullptr, *statustext = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QLabel *Label46 = nullptr;
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr;
    ClickLabel *StaticText2 = nullptr;
    QFrame *shape1 = nullptr;
    // timers
    QTimer *Timer3 = nullptr;  // refresh tick
    QTimer *Timer5 = nullptr;  // size guard after a resize

    // --- The list pages: whitelist (TabSheet4), rejected-mail log (TabSheet6), blacklist
    // (TabSheet7); form1_list_pages.cpp, form1_list_commands.cpp -------------------------------
    // Where the current profile's whitelist and log files are; asked at each command, so a
    // profile switch needs no further notice.
    void setProfileFiles(std::function<ProfilePaths()> files) { m_profileFiles = std::move(files); }
    void AddToWhitelistClick();       // button7, menu "&Add to whitelist"
    void RemoveFromWhitelistClick();  // SpeedButton31, menu "&Remove from whitelist"
    void button8Click();              // "Delete Address"
    void button9Click();              // load the whitelist file
    void button4Click();              // save the whitelist file
    void addBlacklistItem();          // "&Add as new Item", Enter in Edit7
    void deleteBlacklistItem();       // "Delete Item "
    void walkLog(bool forward);       // ">" (forward) and "<" on the blacklist page
    void clearLogClick();             // "Clear log file"
    void deleteLogLineClick();        // "Delete Line"
    void resetDeletedCountClick();    // button16, a click on Label21
    void logRejectedChanged(bool on); // CheckBox4: the log page can be reached exactly when on
    void PageControl1Change();        // a page change made through the page control itself
    void stepPage(int direction);     // the page control's next/previous-page keys
    // Shows the lists as the Screener holds them now; a list whose view is up to date keeps
    // its selection and current row.
    void syncListPages();
    void fitLogGrid();
    // StringGrid2's current row in log rows: 0 the title row (no entry current), entries from 1.
    int logCurrentRow() const;
    void setLogCurrentRow(int row);
    std::vector<int> whitelistSelection() const;  // ListBox4's selected indexes

    QListView *ListBox4 = nullptr;
    QPushButton *button8 = nullptr, *button9 = nullptr, *button4 = nullptr;
    QTableView *StringGrid2 = nullptr;
    QToolButton *SpeedButton8 = nullptr, *SpeedButton29 = nullptr;
    QLabel *Label49 = nullptr;
    QLineEdit *Edit7 = nullptr;
    QListView *ListBox7 = nullptr;
    QToolButton *SpeedButton10 = nullptr, *SpeedButton9 = nullptr, *SpeedButton28 = nullptr,
                *SpeedButton25 = nullptr, *SpeedButton26 = nullptr;

    // ---- Dispatcher, window timers and tray icon (form1_timers.cpp, form1_tray.cpp) ------
    QTimer *Timer1 = nullptr;  // hide again after a check started from the tray (one-shot)
    QTimer *Timer2 = nullptr;  // the command dispatcher, every 50 ms
    QTimer *Timer4 = nullptr;  // connection indicator blink, every second
    QTimer *Timer6 = nullptr;  // banner picture blink, every second
    QTimer *Poller = nullptr;  // automatic new-mail check every CheckInterval minutes
    QSystemTrayIcon *TBNArea1 = nullptr;  // the tray icon, when the desktop has a tray
    QMenu *PopupMenu1 = nullptr;          // its menu
    // The window was shown only to run a check from the tray and hides again after it.
    bool hideAfterCheck = false;
    void Timer1Timer();
    void Timer2Timer();
    void Timer4Timer();
    void Timer6Timer();
    void PollerTimer();
    // CheckInterval changed: the poller runs every so many minutes, or not at all for 0.
    void SpinEdit2Change(int minutes);
    // Puts the icon into the notification area when there is one (closing then only hides).
    void createTrayIcon();
    TTBNArea *trayIcon() const { return m_tray; }
    TrayControl *trayControl() const { return m_trayControl.get(); }
    void TBNArea1LeftClick();
    // Shows the window in its normal state and brings it to the front.
    void showFromTray();
    // "&Exit" of the tray menu: ends the program whatever state the window is in.
    void exitProgram();

    // ---- The "&E-Mail Client" sub-page (form1_mail_tool.cpp) -------------------------------
    // "Mail Tool" and the tray's "Mailtool" are enabled exactly when Edit5 names an executable.
    void updateMailToolButtons();
    void SpeedButton5Click();   // "..."
    void SpeedButton22Click();  // "Set to Default Mail Tool"
    void SpeedButton23Click();  // "Test Mail Tool Settings"

signals:
    // A server operation or the mail program is asked for (a PendingCommand code).
    void commandQueued(int code);
    // A page became the active one (object name), for the counts the screening side shows.
    void pageShown(const QString &page);
    // Controls whose work belongs to the profile, whitelist, update and log code.
    void profileSwitchRequested(int step);  // -1 previous, +1 next
    void updateCheckRequested();
    void deletedCountResetRequested();
    // The window is closing for good: save the profile and the profile list now.
    void aboutToExit();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildTopBar();
    void buildPages();
    void buildStartPage();
    void buildMessagesPage();
    void buildConfigPage();
    void buildListPages();
    void buildStatusBar();
    void connectTopBar();
    void connectMessagesPage();
    void connectConfigPage();
    void createTimers();
    void connectMailToolPage();
    void attachTrayControl(Screener &screener);
    void connectListPages();
    void applyListPageRules();  // run by the refresh tick

    void queueCommand(int code);
    void fitLayout();
    void sizeGuard();
    void fitLastColumn();
    void applyGridRules();
    void gridMousePressed(Qt::MouseButton button, int row);
    // A press on the grid; a right-button press (also the arrow buttons' right click, row 0)
    // moves to the row under the pointer and sets the whitelist items.
    void prepareContextMenu(bool rightButton, int row);
    void portLeft();
    void userIdChanged();
    void updateAccountLabel();
    void splitterMoved();
    bool hasMessages() const;
    void goToUnknown(int row);  // the walks' common end: row -1 stays
    bool rowTrusted(int row) const;
    int selectedProfileIndex() const;

    Screener *m_screener = nullptr;  // set by attachScreener before any event reaches us
    TTBNArea *m_tray = nullptr;
    std::unique_ptr<TrayControl> m_trayControl;
    std::string m_localIp;
    QString m_acceptedPort = QStringLiteral("110");
    double m_splitRatio = 0.4;
    bool m_connectionOpen = false;
    bool m_busy = false;
    bool m_trayIconPresent = false;
    bool m_exiting = false;
    bool m_refusingPort = false;
    // list pages
    std::function<ProfilePaths()> m_profileFiles;
    TextListModel *m_whitelistModel = nullptr;
    TextListModel *m_blacklistModel = nullptr;
    LogTableModel *m_logModel = nullptr;
};

}  // namespace kestrix
