// The header download: finds where new mail begins by the resume marks, asks before a large
// download, and fetches for each new message its header lines (TOP n 0), its size (LIST n) and
// its unique id (UIDL n) into one row record per message. Also the light new-mail check of the
// poller.
#include "screening/diagnostic_mode.h"
#include "screening/new_mail_count.h"
#include "screening/pop3_requests.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "screening/view.h"
#include "text/header_decoding.h"
#include "text/latin1.h"
#include "text/line_end.h"
#include "transport/pop3_batch.h"
#include "transport/pop3_client.h"

#include <QCoreApplication>

#include <algorithm>
#include <optional>

namespace kestrix {

namespace {

TNMPOP3 &clientOf(TNMPOP3 *client)
{
    if (!client)
        throw Exception("Not Connected");
    return *client;
}

}  // namespace

void Screener::forgetResumeMarks()
{
    profile.settings.clearResumeMarks();
    messages.clearTrustedLists();
}

void Screener::forgetMessages()
{
    messages.messageTable = MessageTable();
    messages.rows.clear();
    messages.startCode = "-1";
    messages.currentHeader.clear();
    grid.detailsRow = -1;
    // Nothing of the previous table stays on screen: not its details, its class shape, its
    // selection or its trusted counts, nor the buttons that act on its rows.
    messages.clearTrustedLists();
    messages.allTrusted = false;
    messages.trustedCount = 0;
    m_view.messageTableChanged();
    m_view.setDetails({});
    m_view.setText(Control::Label52, std::string());
    m_view.setVisible(Control::Shape2, false);
    m_view.setText(Control::Label6, std::string());
    for (Control control : {Control::button7, Control::SpeedButton31, Control::button10,
                            Control::Deleteselectedmails1, Control::SpeedButton24,
                            Control::SpeedButton27})
        m_view.setEnabled(control, false);
}

void Screener::updateSelectionFromGrid()
{
    if (const auto selection = m_window->gridSelection())
        updateSelectionInfo(selection->first, selection->second);
}

std::vector<std::string> Screener::commandsBeforeDownload() const
{
    // findResumePoint's listing, when it will be asked for: it does not depend on the count, so
    // a pipelining server gets it with the login.
    const bool marked
        = profile.settings.resumeCode != "-1" || profile.settings.resumeFallbackCode != "-1";
    if (profile.settings.IncrementalDownload && marked)
        return {"UIDL"};
    return {};
}

// Where the walk lists every unique id, the listing also gives the newest message's code and
// (into firstCode) the first one's, which then need no question of their own.
int Screener::findResumePoint(std::string &firstCode)
{
    TNMPOP3 &client = clientOf(session.NMPOP31);
    messages.foundCode = "-1";
    int result = 1;
    const int count = client.MessageCount();
    if (count < 1)
        profile.settings.clearResumeMarks();
    // A code is made of digits only, so without a mark no message can carry one: the scan of
    // every unique id would find nothing.
    if (profile.settings.resumeCode == "-1" && profile.settings.resumeFallbackCode == "-1")
        return result;
    // Every unique id in one listing. A mark that more than one message carries is no mark:
    // some servers derive the id from header lines that messages may lack, and a mark shared by
    // new mail would hide it.
    requireIdle(client);
    const std::vector<TNMPOP3::UniqueId> ids = client.FetchUniqueIds();
    std::vector<std::string> codes;
    codes.reserve(ids.size());
    for (const TNMPOP3::UniqueId &id : ids) {
        codes.push_back(messageCode(id.id));
        if (id.number == count)
            messages.newestCode = codes.back();
        if (id.number == 1)
            firstCode = codes.back();
    }
    std::string ignored;
    auto usable = [&](const std::string &mark) {
        if (mark == "-1")
            return false;
        const auto carriers = std::count(codes.begin(), codes.end(), mark);
        if (carriers > 1 && ignored.empty())
            ignored = "The resume mark is no mark: " + std::to_string(carriers)
                      + " messages on the server share its unique id";
        return carriers == 1;
    };
    const bool resume = usable(profile.settings.resumeCode);
    const bool fallback = profile.settings.resumeFallbackCode != profile.settings.resumeCode
                          && usable(profile.settings.resumeFallbackCode);
    // The newest message that carries either mark wins.
    for (size_t k = ids.size(); k-- > 0;) {
        const std::string &code = codes[k];
        if ((resume && code == profile.settings.resumeCode)
            || (fallback && code == profile.settings.resumeFallbackCode)) {
            if (ids[k].number >= 1 && ids[k].number <= count) {
                result = ids[k].number;
                messages.foundCode = code;
            }
            break;
        }
    }
    if (!ignored.empty()) {
        m_view.setStatus(result == 1 ? ignored + "; the download starts from the first message"
                                     : ignored + "; resuming after message "
                                           + std::to_string(result));
    }
    return result;
}

void Screener::rememberNewestCode()
{
    messages.newestCode
        = messages.rows.empty() ? messages.startCode : messages.rows.back().markCode();
    if (messages.newestCode == "-1")
        messages.newestCode = profile.settings.resumeCode;
}

void Screener::downloadHeaders()
{
    session.downloadStopped.clear();
    session.downloadCancelled = false;
    TNMPOP3 &client = clientOf(session.NMPOP31);
    const int count = client.MessageCount();
    // The newest message's code comes from the resume walk's listing, or as the first question
    // of the download; it is asked alone only where neither comes before the download starts.
    messages.newestCode = "-1";
    std::string firstCode;
    std::optional<Pop3Batch> batch;

    m_view.setText(Control::Label24, "All messages from trusted e-mail addresses");
    m_view.setText(Control::Label52, std::string());
    m_view.setVisible(Control::Shape2, false);
    m_view.setEnabled(Control::SpeedButton27, false);
    m_view.setEnabled(Control::Button66, false);
    m_view.setVisible(Control::StaticText1, false);
    m_view.setVisible(Control::Panel12, false);
    m_view.setVisible(Control::Panel3, false);
    m_view.setVisible(Control::Panel14, true);
    m_view.setText(Control::Label8, std::string());
    messages.startCode = "-1";
    dispatcher.stopPolling();
    m_view.setNewMailSign(false);

    int start = 1;
    m_view.setText(Control::Label17, client.RemoteIP());
    bool markIsNewest = false;
    if (profile.settings.IncrementalDownload) {
        start = findResumePoint(firstCode);
        // The message that carries the mark was seen already. (Counted without going past the
        // largest count a server may announce.)
        if (start > 1 && start == count)
            markIsNewest = true;
        else if (start > 1)
            ++start;
    }
    if (count > 0 && messages.newestCode == "-1") {
        if (start == 1 && profile.settings.NotifyLimit >= count) {
            // Every message comes without a question: the newest one's id goes out with the
            // first commands of the download.
            batch.emplace(client, std::vector<std::string>{"UIDL " + std::to_string(count)}, 1, count);
            messages.newestCode = messageCode(batch->fetchUniqueId(count));
        } else {
            messages.newestCode = codeOfMessage(client, count);
        }
    }

    m_view.setDetails({});
    m_view.setEnabled(Control::CheckBox1, true);
    m_view.setEnabled(Control::button10, false);
    m_view.setEnabled(Control::Deleteselectedmails1, false);
    m_view.setEnabled(Control::button7, false);
    messages.rows.clear();
    messages.messageTable.clearCells();
    messages.messageTable.setRowCount(2);
    m_view.messageTableChanged();

    if (count == 0) {
        m_view.setStatus(std::to_string(messages.rows.size()) + " Messages on Server");
        m_view.setText(Control::Label24, "No messages on server");
        m_view.setVisible(Control::Panel12, true);
        messages.newestCode = "-1";
        m_view.setBusyCursor(false);
        dispatcher.startPolling();
        return;
    }

    const int newCount = markIsNewest ? 0 : count - start + 1;
    int wanted = newCount;
    if (profile.settings.NotifyLimit < newCount) {
        const std::optional<int> answer = m_prompter.askDownloadCount(newCount, newCount);
        if (!answer) {
            session.downloadCancelled = true;
            m_view.setBusyCursor(false);
            rememberNewestCode();
            dispatcher.startPolling();
            return;
        }
        // The dialog's spin field holds 0..newCount; an answer from elsewhere is kept there too.
        wanted = std::clamp(*answer, 0, std::max(newCount, 0));
    }

    if (!session.isOpen()) {
        rememberNewestCode();
        dispatcher.startPolling();
        m_prompter.message(Prompter::Kind::Information, "Connection timed out !");
        return;
    }

    // 64 bits: with nothing wanted of 2,147,483,647 messages the first is one past the last.
    const long long first = wanted <= count ? (long long)count - wanted + 1 : 1;
    m_view.setText(Control::Label8, std::to_string(count - first + 1) + " of " + std::to_string(count));

    if (count < first) {
        m_view.setText(Control::Label24, "No new messages on server");
        m_view.setVisible(Control::Panel12, true);
        m_view.setBusyCursor(false);
        rememberNewestCode();
        dispatcher.startPolling();
        return;
    }

    start = int(first);
    // The announced count is the server's word only: the table grows as headers arrive, so a
    // server announcing millions of messages costs memory only for what it really sends.
    const int toFetch = count - start + 1;
    m_view.setProgress(toFetch, 0);
    messages.messageTable.setRowCount(2);
    messages.messageTable.writeTitles();
    m_view.scrollMessageTable(1, -1);
    messages.startCode = start < 2                ? std::string("0")
                         : !firstCode.empty() ? firstCode
                                              : codeOfMessage(client, 1);

    const int rowHeight = profile.settings.RowHeight > 0 ? profile.settings.RowHeight : 1;
    std::string stopped;
    std::optional<EPop3Refusal> refusal;
    // The download is one operation of the client: its commands go out ahead where the server
    // allows pipelining, and the replies come back here message by message all the same.
    // Painting costs more than downloading: the grid and the window's events are brought up to
    // date every tenth message of a short download and at most 25 times in a long one (while the
    // client waits for the server, events run anyway).
    const int showEvery = std::max(10, toFetch / 25 / 10 * 10);
    for (int fetched = 0; fetched < toFetch; ++fetched) {
        const int i = start + fetched;
        if (i % showEvery == 0) {
            // The grid learns of the rows that came in and scrolls to keep the newest in view.
            m_view.messageTableGrew();
            const int row = int(messages.rows.size());
            const int clientHeight = m_view.messageTableClientHeight();
            if (clientHeight < rowHeight * row)
                m_view.scrollMessageTable(std::max(1, row - clientHeight / rowHeight + 1), -1);
            QCoreApplication::processEvents();
        }
        // The session may have gone while events ran (the network went away): a request now
        // would ask to connect again in the middle of the run.
        if (!session.isOpen()) {
            stopped = !session.commandFailure.empty() ? session.commandFailure
                                                      : std::string("connection lost");
            break;
        }
        m_view.setProgress(toFetch, fetched + 1);

        // A message gets its row only once its header has arrived: a row of empty texts could
        // not be judged, and a selection command could pick it for deletion. A message whose
        // unique id failed after its header keeps its row with the code "-1". Every list gets
        // exactly one entry per row, so a row never shows another message's texts.
        std::string code = "-1";
        std::string sender;
        std::string subject;
        std::string shownSender;
        std::string shownSubject;
        std::vector<std::string> lines;
        std::string failure;
        try {
            if (!batch)
                batch.emplace(client, i, count);  // a busy client fails this message
            batch->fetchSummary(i);
            // Read where the client keeps them, then moved into the row: no line is copied.
            const std::vector<std::string> &header = client.Summary.Header.Lines();
            sender = extractSender(header);
            subject = extractSubject(header);
            if (std::string raw = senderAsReceived(header); raw != sender)
                shownSender = std::move(raw);
            if (std::string raw = subjectAsReceived(header); raw != subject)
                shownSubject = std::move(raw);
            lines.reserve(header.size() + 2);
            lines.push_back("id:-1");
            lines.push_back("Size: " + std::to_string(client.Summary.Bytes) + " byte");
            client.Summary.Header.MoveLinesTo(lines);
            code = messageCode(batch->fetchUniqueId(i));
            lines[0] = "id:" + code;
        } catch (const EPop3Refusal &refused) {
            // The server refused one of this message's commands: the download stops here with
            // the rows fetched so far (the command that runs it then ends the session).
            refusal = refused;
        } catch (const std::exception &error) {
            // This message's remaining steps are skipped; the loop goes on while the session
            // lasts.
            failure = error.what();
        }
        if (!lines.empty()) {
            messages.rows.push_back({i, std::move(sender), std::move(subject), std::move(code),
                                     std::move(lines), false, std::move(shownSender),
                                     std::move(shownSubject)});
            const DownloadedRow &arrived = messages.rows.back();
            readArrivedRow(arrived);

            const int row = int(messages.rows.size());
            messages.messageTable.setRowCount(row + 1);
            messages.messageTable.setCell(MessageTable::ColNumber, row,
                                          std::to_string(arrived.number));
            messages.messageTable.setCell(MessageTable::ColSender, row, arrived.sender,
                                          CellMarker::None, arrived.shownSender);
            messages.messageTable.setCell(MessageTable::ColSubject, row, arrived.subject,
                                          CellMarker::None, arrived.shownSubject);
        }

        // Once the session is gone (a header over the size bound, a dropped connection) every
        // further request could only fail, or reconnect in the middle of the run: stop with the
        // rows fetched so far.
        if (refusal || !session.isOpen()) {
            stopped = !failure.empty() ? failure : std::string("connection lost");
            break;
        }
    }

    batch.reset();
    // The header of the message summarised last (the newest row's lines after its id and size).
    if (!messages.rows.empty())
        messages.currentHeader.assign(messages.rows.back().headerLines.begin() + 2,
                                      messages.rows.back().headerLines.end());

    m_view.setBusyCursor(true);
    buildMessageTable(true);
    if (refusal)
        stopped = tellRefusal(*refusal);
    if (messages.hasMessages())
        setMainButtonMode(MainButtonMode::Process);
    std::string status = std::to_string(messages.rows.size()) + " new messages from server";
    if (!stopped.empty()) {
        stopped = withoutTrailingLineEnds(std::move(stopped));
        status += " (download stopped: " + stopped + ")";
        session.downloadStopped = stopped;
        session.commandFailure = status;
    }
    m_view.setStatus(status);
    updateSelectionFromGrid();
    rememberNewestCode();
    dispatcher.startPolling();
}

void Screener::checkNewMail()
{
    TNMPOP3 &client = clientOf(session.NMPOP31);
    const int count = client.MessageCount();
    m_view.setText(Control::Label53, std::to_string(count));
    std::string code = "-1";
    try {
        if (count > 0)
            code = codeOfMessage(client, count);
    } catch (const std::exception &) {
        return;  // no sign either way
    }
    if (code == messages.newestCode)
        return;
    if (isDiagnosticUser(profile.settings.UserId))
        m_view.setDetails({"new id: " + code});
    setMainButtonMode(MainButtonMode::GetNew);
    m_view.beep();
    m_view.setNewMailSign(true);
    dispatcher.stopPolling();
    if (m_window->countsNewMail() && code != messages.noticedNewestCode) {
        messages.noticedNewestCode = code;
        const NewMailCount found
            = countNewMail(client, count, messages.newestCode, profile.whitelist);
        m_window->newMailFound(found.count, found.unknown);
    }
}

}  // namespace kestrix
