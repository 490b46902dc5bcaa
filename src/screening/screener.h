#pragma once
// The screening of one profile, for the window, kestrix-cli and the tests alike: it owns the
// parts that hold the state (the profile handed over once, what the last download found, the
// POP3 session, the grid's selection, the window's dispatcher) and runs the operations that
// join them, each in a file of its own (header_download.cpp, deletion.cpp, reclassify.cpp,
// ...). It reaches the screen only through a View, asks only through a Prompter and reaches the
// rest of the window through a WindowSide.

#include "mime/message_content.h"
#include "profiles/blacklist_words.h"
#include "profiles/profile_conf.h"
#include "profiles/profile_settings.h"
#include "profiles/profile_store.h"
#include "profiles/rejected_log.h"
#include "profiles/whitelist.h"
#include "screening/dispatcher.h"
#include "screening/learning.h"
#include "screening/list_commands.h"
#include "screening/downloaded_row.h"
#include "screening/downloaded_messages.h"
#include "screening/grid_selection.h"
#include "screening/pop3_session.h"
#include "screening/screening_profile.h"
#include "screening/view.h"
#include "screening/window_side.h"
#include "transport/pop3_refusal.h"

#include <QString>

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrix {

class View;
class Prompter;
class Screener;
class TNMPOP3;  // the POP3 client (transport)
class Pop3Batch;
struct TlsCertificate;

// The Screener's hold on a POP3 client's events (from attachPop3). While it lives the client's
// events reach the Screener; when it goes (or is reset) they are taken back and the Screener no
// longer points at the client, so neither side can call into the other after it is gone.
class Pop3Attachment {
public:
    Pop3Attachment() = default;
    Pop3Attachment(Screener &screener, TNMPOP3 &client) : m_screener(&screener), m_client(&client) {}
    Pop3Attachment(Pop3Attachment &&other) noexcept { *this = std::move(other); }
    Pop3Attachment &operator=(Pop3Attachment &&other) noexcept;
    Pop3Attachment(const Pop3Attachment &) = delete;
    Pop3Attachment &operator=(const Pop3Attachment &) = delete;
    ~Pop3Attachment() { reset(); }
    void reset();

private:
    Screener *m_screener = nullptr;
    TNMPOP3 *m_client = nullptr;
};

class Screener {
public:
    Screener(View &view, Prompter &prompter);
    ~Screener();
    Screener(const Screener &) = delete;
    Screener &operator=(const Screener &) = delete;

    View &view() const { return m_view; }
    Prompter &prompter() const { return m_prompter; }

    // ---- The current profile -----------------------------------------------------------------
    // Settings, lists, NAME.conf and the stores beside them, handed over once by takeProfile.
    ScreeningProfile profile;
    // The one hand-over of a loaded profile, for the window and kestrix-cli alike (the password
    // of the profile left is forgotten first). Returns the learned score's problem ("" when
    // none) for the caller to show.
    std::string takeProfile(Profile loaded, ProfileConf loadedConf, QString loadedConfFile,
                            const QString &dataDir);

    // ---- What the last download found: rows, table, trusted rows, run-time marks ------------
    DownloadedMessages messages;

    // ---- Grid, dispatcher and window state -----------------------------------------------------
    GridSelection grid;
    // The window's command dispatcher (dispatcher.h): buttons and timers queue, its tick runs.
    Dispatcher dispatcher{*this};
    // "Allow delete of accepted" (CheckBox1) on the grid and on the view; the window's own click
    // handler writes grid.allowDeleteAccepted directly.
    void setAllowDeleteAccepted(bool checked);
    // What the main button does next; the setter also tells the view.
    MainButtonMode mainButtonMode() const { return m_mainButtonMode; }
    void setMainButtonMode(MainButtonMode mode);
    // The account rule of the window's refresh tick: without a host, port and user the main
    // button configures; once they are filled it gets new mail (and back when one is emptied).
    void followAccount(bool accountFilled);

    // ---- The POP3 session (session.cpp, token_sign_in.cpp) ---------------------------------------
    Pop3Session session;
    bool signsInWithToken() const { return profile.conf.signsInWithToken(); }
    // Folder for the parts of a read message ("Attachments" beside the program).
    std::string attachmentsFolder;

    // Points NMPOP31 at the client and assigns its events to the handlers (session.cpp). The
    // handle takes them back when it goes: keep it while both the Screener and the client live.
    [[nodiscard]] Pop3Attachment attachPop3(TNMPOP3 &client);
    // Chooses the client's sign-in from NAME.conf and, for a token, runs the token command when
    // no token is kept; the reason when the session must not open (nothing was sent).
    std::string prepareSignIn();
    // Opens the session (configures the client from the settings and the password); true when
    // it is open. A port that is not 1..65535 is refused with a message before anything is sent.
    // commandsAfterLogin go out with the login where the server pipelines (TNMPOP3).
    bool connectSession(std::vector<std::string> commandsAfterLogin = {});
    // What the header download asks first whatever the message count, for connectSession: the
    // "UIDL" listing of the walk back to a resume mark.
    std::vector<std::string> commandsBeforeDownload() const;
    // QUIT (retried), then the connection indicator is hidden.
    void closeSession();
    // closeSession at the end of a command; a failed command then leaves the status line on
    // why and takes away the all-clear banner, so a failure never looks like an empty mailbox.
    void endSession();
    // After a protected login: NAME.conf remembers the strongest protection the server gave, so
    // the automatic security never logs into it in plain text again.
    void rememberProtection();
    // Keeps in NAME.conf whether the server's last CAPA listed PIPELINING (only on a change;
    // after a failed login only that it no longer does), so the next login can send USER, PASS
    // and STAT with the CAPA.
    void rememberPipelining(bool loggedIn);
    // A refused certificate: pins it (in memory and in NAME.conf) after the user's Yes; true
    // then, and the connection is tried again with the pin (session.cpp).
    bool offerToTrust(const TlsCertificate &certificate);
    // The protection of the last connection to the view (the status bar's indicator), or the
    // indicator hidden when that connection ended before anything was protected or sent.
    void showProtection();
    // The client's status event: the status line, nothing else (a refusal reaches the command
    // that was refused as an EPop3Refusal).
    void NMPOP31Status(const std::string &text);
    // Tells the user why the server refused (refusal_text.h): a message box when the user can act
    // on it or the client reported a failed operation; the offer to switch Security when the
    // server wants TLS. Returns the text for the status line and kestrix-cli's error line.
    std::string tellRefusal(const EPop3Refusal &refusal);

    // ---- Classification and the message table (message_table_build.cpp, reclassify.cpp) --------
    // Rebuilds the table from the rows, classifies every row, scrolls and sets the
    // resume marks.
    void buildMessageTable(bool scrollToEnd);
    // The build's steps after the classification: the grid told and scrolled, the marks set.
    void showBuiltTable(bool scrollToEnd);
    // What a new row's header says about its sender, read as the header arrives (while the next
    // one is on its way), so the table build after a download finds it kept.
    void readArrivedRow(const DownloadedRow &row);
    // Collects the trusted rows, rebuilds the table and sets banners, captions and buttons.
    // JustBuilt: the caller built the table a moment ago (at a download's end, say) and nothing
    // it is made from has changed since, so a table still as classified is taken as it is.
    enum class TableState { Stale, JustBuilt };
    void reclassify(TableState table = TableState::Stale);
    // Rows the known-bad deletion will delete (row_counts.cpp).
    int countKnownBad() const;
    // Selected rows (selTop..selBottom) the deletion of selected rows will delete.
    int mySelCount() const;

    // ---- The learned score (learning_commands.cpp) ----------------------------------------------
    // "Mark as spam" / "Mark as good" on the selected rows: trains them (a message trained
    // before moves to that side, never counted twice), saves the store, queues the reclassify.
    void markSelected(Judgement side);
    // Trains one table row with its sender verdicts; false for a row without header lines.
    bool trainRow(int tableRow, Judgement side);
    // Takes a message's training off again (a deleted message restored); saves when it did.
    bool unlearnMessage(const std::vector<std::string> &headerLines, long long size,
                        const std::vector<std::string> &verdicts = {});
    // Writes the store when training changed it; a failed write is reported.
    void saveLearning();
    // The details pane's line for a row: "Learned score 0.987 (spam): subj:viagra 0.99, ...",
    // or why there is no score yet; "" for a row without header lines.
    std::string learnedDetails(int tableRow);
    // The details pane's lines saying why a table row carries its sender verdicts
    // ("Authentication-Results from mx.example.net: dmarc=fail"), judged again when asked: the
    // table build keeps only the verdicts. None for a row without verdicts.
    std::vector<std::string> verdictReasons(int tableRow);
    // The names of a table row's sender verdicts ("forged", ...), the tokens they add.
    std::vector<std::string> verdictNames(int tableRow) const;

    // ---- Header download (header_download.cpp) -------------------------------------------------
    void downloadHeaders();
    int findResumePoint(std::string &firstCode);
    void rememberNewestCode();
    void checkNewMail();
    // "/ All": forgets the five saved resume marks and the trusted lists, so the next download
    // starts at message 1.
    void forgetResumeMarks();
    // Empties the table, its details and the buttons that act on its rows: after a check that
    // failed (the rows no longer say what is on the server) and when another profile is chosen.
    void forgetMessages();
    // The diagnostic "Reset to first Message in Mailbox" (SpeedButton11): fills the table from
    // the rejected-mail log, without a server (diagnostic_fill.cpp).
    void fillFromRejectedLog();

    // ---- Deletion on the server (deletion.cpp) -------------------------------------------------
    // What the last deletion run did: deletions the server carried out (acknowledged, then QUIT
    // confirmed), acknowledged ones whose QUIT was not confirmed, rows left alone because their
    // message number now names another message, and the failure that ended the run.
    struct DeletionOutcome {
        int deleted = 0;
        int unconfirmed = 0;
        int leftAlone = 0;
        std::string failure;     // "" when the run went through
        std::string incomplete;  // why the deletions did not complete; "" when they did
        int kept = 0;            // copies now in Deleted mail (stored before their DELE)
        int notCopied = 0;       // left on the server: their copy could not be kept
        std::string copyFailure; // why, for the user; "" when every copy was kept
    };
    DeletionOutcome lastDeletion;
    // Both runs send DELE and log what the server acknowledged, and rethrow the failure that
    // ended them; the rows go at the session's end (settleDeletions).
    void deleteSelected();
    void deleteKnownBad();
    // The deletion of a selection over any set of table rows (kestrix-cli's message numbers).
    void deleteRows(std::vector<int> tableRows);
    // Run by closeSession after the QUIT: with QUIT confirmed the acknowledged rows are removed,
    // counted and the rest renumbered; without, they stay (and are not counted) and the run says
    // the deletion did not complete. Then the table is rebuilt.
    void settleDeletions();
    // Lowers the numbers of the rows above a deleted message, as the server will number them
    // after QUIT.
    void renumberAfterDeletion(int number);
    // "Empty Server" (SpeedButton2): asks twice, then DELE N..1; no log, no count, no table.
    void emptyServer();

    // ---- Whitelist, blacklist and log commands -------------------------------------------------
    // The pages' commands on the lists alone (list_commands.h).
    ListCommands lists;
    // The commands that join the table and the whitelist (whitelist_commands.cpp). The window
    // repaints ListBox4 from the list after each call; a failed write is reported.
    // "Add to whitelist" (button7): the senders of the selected rows, or in knownBadSelectMode
    // of every known-bad or blacklisted row; queues the reclassify and writes the file at once.
    void AddToWhitelist(const QString &whitelistFile);
    // "Remove from whitelist" (SpeedButton31): the senders of the selected rows; reclassifies.
    void RemoveFromWhitelist();
    // "Delete Address" (button8): the whitelist entries at these indexes (ListBox4's selection).
    void deleteWhitelistAddresses(std::vector<int> indexes, const QString &whitelistFile);
    // The grid menu's "&Remove from whitelist" test: the row's sender is on the whitelist.
    bool whitelistHoldsSender(int row) const;

    // ---- Reading one whole message (read_message.cpp) ------------------------------------------
    // RETR number (never DELE) in the open session: true when readContent.CurrentMessage holds
    // the message and its parts are stored in attachmentsFolder; readError says why not.
    bool retrieveMessage(int number);
    MessageContent readContent;
    std::string readError;

    // ---- The window beside the screen ------------------------------------------------------------
    // What the operations and the dispatcher ask of the window besides the View (window_side.h):
    // the window's controller hands itself over; without one every such step is skipped.
    void setWindowSide(WindowSide &window) { m_window = &window; }
    WindowSide &window() const { return *m_window; }
    // Copies the grid selection: selTop, selBottom, "Label6", "&M" (SpeedButton24).
    void updateSelectionInfo(int top, int bottom);
    // Command 7: the selected row's message into the reader (read_message.cpp). False while
    // more than one row is selected: the command then waits, with the dispatcher running.
    bool readSelectedMessage();
    // A deletion run waits for the session's end (settleDeletions), also after a failure.
    bool deletionAwaitsSessionEnd() const { return m_deletionRun.has_value(); }

private:
    // Message number still holds the message of rows[index] (UIDL number against its code).
    bool rowStillNamesMessage(std::size_t index, int number);
    void offerToSwitchSecurity();

    void scrollTableToEnd();
    void setResumeMarks();
    // deletion.cpp
    struct DeletionRun {
        bool knownBadRun = false;
        bool counted = false;  // "Allow delete of accepted" was off
        struct Acknowledged {
            size_t index;  // into rows
            int number;    // the message number the DELE named
        };
        std::vector<Acknowledged> acknowledged;  // highest number first
    };
    std::optional<DeletionRun> m_deletionRun;  // a run waiting for the session's end
    struct DeletionCandidate {
        int row;
        int number;
        size_t index;
        bool trusted;
    };
    // deletion_copies.cpp: RETR of each candidate, pipelined, into the quarantine; gives the
    // candidates whose copy is safely on the disk (or was already). A lost or refused RETR
    // ends the copying there and is handed back in failure. The RETRs are read from batch, the
    // checks' batch that sent them ahead, or from one made here when it holds none.
    std::vector<DeletionCandidate> keepCopies(const std::vector<DeletionCandidate> &held,
                                              bool knownBadRun, std::optional<Pop3Batch> &batch,
                                              std::exception_ptr &failure);
    void deleteRowSet(std::vector<int> tableRows, bool knownBadRun);
    void finishDeletion(bool knownBadRun);
    // updateSelectionInfo from the grid's selection (skipped without a grid).
    void updateSelectionFromGrid();

    View &m_view;
    Prompter &m_prompter;
    WindowSide m_noWindow;
    WindowSide *m_window = &m_noWindow;
    MainButtonMode m_mainButtonMode = MainButtonMode::Configure;
};

}  // namespace kestrix
