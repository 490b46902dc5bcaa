#pragma once
// TForm1: the main window. It puts together the top bar, the pages and the status bar, each a
// widget holding its own controls, over one Screener attached before the window is used
// (WindowController does it), and wires what one page asks of another; the screening logic
// reaches the widgets through WindowView. It never talks to the server: a
// server operation is asked for by queuing a command code (commandQueued), which the
// dispatcher runs.

#include "profiles/profile_settings.h"
#include "profiles/profile_store.h"
// The pages and bars are part of the window's interface: callers reach a control through them.
#include "ui/config_page.h"
#include "ui/deleted_mail_page.h"
#include "ui/list_pages.h"
#include "ui/messages_page.h"
#include "ui/start_page.h"
#include "ui/status_bar.h"
#include "ui/top_bar.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

class QMenu;
class QStackedWidget;
class QSystemTrayIcon;
class QTimer;

namespace kestrix {

class Screener;
class TrayControl;
class TrayWindow;
class TTBNArea;
class WindowPlace;

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
    void setConnectionOpen(bool open);
    // The local address shown on the start page ("Your IP is:").
    void setLocalIp(const std::string &ip);
    // Whether a tray icon is in the notification area; without one, closing the window or
    // "Hide" must not leave an invisible program behind.
    void setTrayIconPresent(bool present) { m_trayIconPresent = present; }
    bool trayIconPresent() const;
    bool isBusy() const { return m_busy; }
    // The busy state and its wait cursor.
    void setBusy(bool busy);
    // Makes a page of PageControl1 the active one and tells who shows its counts.
    void showPageWidget(QWidget *page);

    // Profile settings: the controls that hold them, and the window geometry.
    void showSettings(const ProfileSettings &settings);
    void collectSettings(ProfileSettings &settings) const;
    void applyGeometry(const ProfileSettings &settings);
    void storeGeometry(ProfileSettings &settings) const;

    // --- Handlers (also run by tests and by the dispatcher stage) ------------------------
    void Button1Click();
    void SpeedButton30Click();  // "/ All"
    void Button10Click();       // "Delete selected unknown", "Delete selected mail"
    void ProgramExit();         // "Program Exit": ends the program unless busy
    void HideWindow();          // "Hide"
    void refreshTick();         // the enabling rules, run every 70 ms
    void showConfigAccounts();
    QWidget *activePage() const;

    // --- The pages and bars, each holding its controls by their component names ----------
    TopBar *topBar = nullptr;                // Panel8
    QStackedWidget *PageControl1 = nullptr;  // the pages, one shown at a time
    StartPage *startPage = nullptr;          // TabSheet1
    MessagesPage *messagesPage = nullptr;    // TabSheet3
    WhitelistPage *whitelistPage = nullptr;  // TabSheet4
    ConfigPage *configPage = nullptr;        // TabSheet5
    LogPage *logPage = nullptr;              // TabSheet6
    BlacklistPage *blacklistPage = nullptr;  // TabSheet7
    DeletedMailPage *deletedMailPage = nullptr;  // TabSheetDeletedMail
    QWidget *TabSheet2 = nullptr;            // holds nothing visible; never shown
    StatusBar *statusArea = nullptr;         // ProgressBar1 and Panel9
    // timers
    QTimer *Timer3 = nullptr;  // refresh tick
    QTimer *Timer5 = nullptr;  // size guard after a resize

    // --- The list pages: whitelist (TabSheet4), rejected-mail log (TabSheet6), blacklist
    // (TabSheet7): what their controls run (form1_list_commands.cpp) ---------------------------
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

    // ---- Dispatcher, window timers and tray icon (form1_timers.cpp, form1_tray.cpp) ------
    QTimer *Timer1 = nullptr;  // hide again after a check started from the tray (one-shot)
    QTimer *Timer2 = nullptr;  // the command dispatcher, every 50 ms
    QTimer *Timer4 = nullptr;  // connection indicator blink, every second
    QTimer *Timer6 = nullptr;  // banner picture blink, every second
    QTimer *Poller = nullptr;  // automatic new-mail check every CheckInterval minutes
    QSystemTrayIcon *TBNArea1 = nullptr;  // the tray icon, when the desktop has a tray
    QMenu *PopupMenu1 = nullptr;          // its menu
    // Whether the window hides again after a check from the tray: the tray control decides
    // (tray_control.h); the user's own work in the window cancels it.
    bool hideAfterCheck() const;
    void stayShownAfterCheck();
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
    void hideEvent(QHideEvent *event) override;

private:
    void buildPages();
    void connectTopBar();
    void connectPages();
    void connectListPages();
    void createTimers();
    void attachTrayControl(Screener &screener);
    void applyListPageRules();  // run by the refresh tick
    void mailToolChanged(bool present);

    void queueCommand(int code);
    void fitLayout();
    void sizeGuard();
    void portRefused(const std::string &text);

    Screener *m_screener = nullptr;  // set by attachScreener before any event reaches us
    TTBNArea *m_tray = nullptr;
    // The window as the tray's rules see it, made with them and outliving them.
    class TrayWindowSide;
    std::unique_ptr<TrayWindow> m_trayWindow;
    std::unique_ptr<TrayControl> m_trayControl;
    WindowPlace *m_windowPlace = nullptr;  // made by the first applyGeometry
    bool m_busy = false;
    bool m_trayIconPresent = false;
    bool m_exiting = false;
    std::function<ProfilePaths()> m_profileFiles;
};

}  // namespace kestrix
