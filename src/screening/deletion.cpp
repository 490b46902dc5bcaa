// Deletion on the server: the selected rows, every known-bad or blacklisted row, and "Empty
// Server". The unique-id checks go out as one pipelined batch, then the DELEs of the messages
// whose check held as a second one. Rows are deleted from the highest message number down, so
// every DELE uses a number that is still valid in the open session and the list indices of the
// rows still to come do not move. The server carries the deletions out only when it confirms
// QUIT: until then the rows stay, and only then are they removed, counted and the rest
// renumbered (settleDeletions, run by closeSession for the window and kestrix-cli alike).
#include "screening/deletion_in_one_batch.h"
#include "screening/pop3_requests.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "screening/view.h"
#include "text/header_decoding.h"
#include "text/latin1.h"
#include "transport/pop3_batch.h"
#include "transport/pop3_client.h"
#include "transport/pop3_refusal.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>

namespace kestrix {

void Screener::deleteSelected()
{
    std::vector<int> selected;
    for (int r = grid.selTop; r <= grid.selBottom; ++r)
        selected.push_back(r);
    deleteRowSet(std::move(selected), false);
}

void Screener::deleteRows(std::vector<int> tableRows)
{
    deleteRowSet(std::move(tableRows), false);
}

void Screener::deleteKnownBad()
{
    std::vector<int> all;
    for (int r = 1; r <= int(messages.rows.size()); ++r)
        all.push_back(r);
    deleteRowSet(std::move(all), true);
}

void Screener::deleteRowSet(std::vector<int> tableRows, bool knownBadRun)
{
    lastDeletion = DeletionOutcome{};
    if (!session.isOpen()) {
        m_prompter.message(Prompter::Kind::Information, "Connection timed out !");
        return;
    }
    TNMPOP3 &client = *session.NMPOP31;

    m_view.setVisible(Control::Panel12, false);
    m_view.setVisible(Control::Panel14, true);
    std::sort(tableRows.begin(), tableRows.end(), std::greater<>());
    tableRows.erase(std::unique(tableRows.begin(), tableRows.end()), tableRows.end());
    const int progressMax = knownBadRun ? int(messages.rows.size()) : int(tableRows.size());
    m_view.setProgress(progressMax, 0);

    // Deletions are counted only while "Allow delete of accepted" is off, in both runs.
    m_deletionRun = DeletionRun{knownBadRun, !grid.allowDeleteAccepted, {}};
    // The rows to delete, highest message number first, with what each must still be on the
    // server. The rows are renumbered only when the session has ended: these are the numbers
    // of the start, the ones the grid shows.
    using Candidate = DeletionCandidate;
    std::vector<Candidate> candidates;
    int done = 0;
    for (const int r : tableRows) {
        ++done;
        if (knownBadRun) {
            if (!messages.messageTable.isKnownBadOrBlacklisted(r)
                || messages.messageTable.isTrusted(r))
                continue;
            m_view.setProgress(progressMax, progressMax - r + 1);
        } else {
            m_view.setProgress(progressMax, done);
        }
        const int m = messages.numberOfRow(r);
        const size_t i = size_t(r - 1);
        if (m <= 0 || i >= messages.rows.size())
            continue;
        m_view.setStatus(std::to_string(r));
        const bool trusted = messages.messageTable.isTrusted(r);
        if (!knownBadRun && trusted && !grid.allowDeleteAccepted)
            continue;
        candidates.push_back({r, m, i, trusted});
    }

    const auto leaveAlone = [&](const Candidate &c) {
        ++lastDeletion.leftAlone;
        m_view.setStatus("Row " + std::to_string(c.row) + " not deleted: message "
                         + std::to_string(c.number)
                         + " on the server is no longer the message shown");
    };
    // A session lost after the last acknowledged command ends the run: a request now would ask
    // to reconnect, and a new session numbers the messages differently.
    std::exception_ptr failure;
    const auto stillOpen = [&] {
        if (session.isOpen())
            return true;
        if (!failure) {  // a failed check that closed the session keeps its own words
            lastDeletion.failure = "Connection lost";
            failure = std::make_exception_ptr(Exception(lastDeletion.failure));
        }
        return false;
    };
    // A refusal or a lost connection: nothing more may be checked or deleted until the table
    // is rebuilt, once the session's end has settled what the server carried out; the failure
    // then goes to the caller, which ends the session.
    const auto fail = [&](const std::exception &error) {
        lastDeletion.failure = error.what();
        failure = std::current_exception();
    };

    // The server acknowledged the DELE. The log and the learned score describe mail the user
    // chose to delete, so they learn now; the row goes and the count rises only once QUIT is
    // confirmed.
    const auto acknowledge = [&](const Candidate &c) {
        if (!c.trusted) {
            profile.rejectedLog.appendRejected(messages.rows[c.index].sender,
                                               messages.rows[c.index].subject);
            // The user's deletion is the learned score's word for spam.
            trainRow(c.row, Judgement::Spam);
        }
        // A refusal may have ended the session (and settled the run) inside the DELE.
        if (m_deletionRun)
            m_deletionRun->acknowledged.push_back({c.index, c.number});
        QCoreApplication::processEvents();
    };

    // Where the server pipelines and no copy is kept first, each check and its DELE go out
    // together; when a check does not hold that batch is undone, and the checks and DELEs below
    // run as if it had never been.
    bool settled = false;
    if (client.Pipelining() && !client.Busy() && !profile.keepsDeletedMail()
        && !candidates.empty()) {
        std::vector<CheckedDeletion> checked;
        for (const Candidate &c : candidates) {
            const std::string &code = messages.rows[c.index].code;
            if (c.number <= client.MessageCount() && !code.empty() && code != "-1")
                checked.push_back({c.number, code});
        }
        if (checked.size() == candidates.size()) {
            const OneBatchDeletion one = deleteInOneBatch(client, checked);
            for (std::size_t k = 0; k < one.acknowledged; ++k)
                acknowledge(candidates[k]);
            if (one.failure) {
                try {
                    std::rethrow_exception(one.failure);
                } catch (const std::exception &error) {
                    fail(error);
                }
            }
            settled = one.deleted || one.failure;
        }
    }

    // First every check, pipelined where the server allows it: DELE m only while message m is
    // still the message its row shows (another mail program may have removed messages since
    // the download, renumbering the rest).
    std::vector<Candidate> held;
    std::optional<Pop3Batch> checkBatch;
    if (!settled) {
        const auto checkable = [&](const Candidate &c) {
            const std::string &code = messages.rows[c.index].code;
            return c.number <= client.MessageCount() && !code.empty() && code != "-1";
        };
        std::vector<std::string> checks;
        for (const Candidate &c : candidates) {
            if (checkable(c))
                checks.push_back("UIDL " + std::to_string(c.number));
        }
        // While Deleted mail is on, the RETRs of the copies still to keep go out in the same
        // batch behind the checks, so checks and copies cost one round trip; the copy of a
        // message whose check does not hold is read and dropped by the batch, never kept.
        for (const Candidate &c : candidates) {
            if (profile.quarantine && checkable(c)
                && !profile.quarantine->findUniqueId(messages.rows[c.index].code))
                checks.push_back("RETR " + std::to_string(c.number));
        }
        for (const Candidate &c : candidates) {
            const std::string &code = messages.rows[c.index].code;
            if (!checkable(c)) {
                leaveAlone(c);
                continue;
            }
            if (!stillOpen())
                break;
            try {
                if (!checkBatch)
                    checkBatch.emplace(client, checks);  // a busy client fails the run here
                if (messageCode(checkBatch->fetchUniqueId(c.number)) == code)
                    held.push_back(c);
                else
                    leaveAlone(c);
            } catch (const std::exception &error) {
                fail(error);
                break;
            }
        }
    }

    // A copy of each before its DELE, while Deleted mail is on: a message whose copy is not
    // safely on the disk stays on the server.
    // After a failed check no copy is made, so nothing is deleted either.
    if (profile.keepsDeletedMail())
        held = failure ? std::vector<Candidate>()
                       : keepCopies(held, knownBadRun, checkBatch, failure);
    checkBatch.reset();

    // Then the DELE of every message whose check held (those before a failed check as well:
    // one at a time they would have gone before it), pipelined in the same way. A refused DELE
    // ends the run, but the DELEs written ahead of its reply are on the server already: each of
    // their replies is read, and what the server acknowledged (carried out at QUIT) is logged
    // and counted like any deletion.
    std::vector<std::string> deletions;
    for (const Candidate &c : held)
        deletions.push_back("DELE " + std::to_string(c.number));
    // While Deleted mail is on, the QUIT that carries the DELEs out goes with them (none of them
    // is ever undone: the checks and the copies came first); the session's end reads its reply.
    if (profile.keepsDeletedMail() && !held.empty())
        deletions.push_back("QUIT");
    std::optional<Pop3Batch> batch;
    bool refused = false;
    for (const Candidate &c : held) {
        if (!stillOpen() || (refused && !batch->repliesOwed()))
            break;
        try {
            if (!batch)
                batch.emplace(client, deletions);
            batch->deleteMessage(c.number);
        } catch (const EPop3Refusal &error) {
            if (!failure)
                fail(error);
            refused = batch.has_value();
            if (!refused)
                break;
            batch->stopSending();
            continue;
        } catch (const std::exception &error) {
            if (!failure)
                fail(error);
            break;
        }
        acknowledge(c);
    }
    batch.reset();
    if (lastDeletion.notCopied > 0)
        m_prompter.message(Prompter::Kind::Warning, lastDeletion.copyFailure);
    if (failure)
        std::rethrow_exception(failure);
}

void Screener::settleDeletions()
{
    if (!m_deletionRun)
        return;
    const DeletionRun run = std::move(*m_deletionRun);
    m_deletionRun.reset();
    if (session.quitConfirmed) {
        // Highest number first, as sent: the indices of the rows still to remove do not move.
        for (const auto &[index, number] : run.acknowledged) {
            if (index >= messages.rows.size())
                continue;
            messages.rows.erase(messages.rows.begin() + std::ptrdiff_t(index));
            renumberAfterDeletion(number);
            ++lastDeletion.deleted;
            if (run.counted)
                ++profile.settings.DeletedCount;
        }
    } else {
        lastDeletion.unconfirmed = int(run.acknowledged.size());
    }
    finishDeletion(run.knownBadRun);
    if (profile.quarantine)
        profile.quarantine->purge(QDateTime::currentSecsSinceEpoch());
    if (lastDeletion.unconfirmed > 0) {
        lastDeletion.incomplete =
            "The deletion did not complete: the server did not confirm QUIT, so the "
            + std::to_string(lastDeletion.unconfirmed)
            + " message(s) are still on the server and shown again at the next download";
        session.commandFailure = lastDeletion.incomplete;
        m_view.setStatus(lastDeletion.incomplete);
    } else if (lastDeletion.leftAlone > 0 && lastDeletion.failure.empty()) {
        m_view.setStatus(std::to_string(lastDeletion.leftAlone)
                         + " row(s) not deleted: the mailbox changed since the last download");
    }
    m_window->deletionSettled();
}

void Screener::finishDeletion(bool knownBadRun)
{
    saveLearning();
    buildMessageTable(false);
    m_view.setEnabled(Control::button10, false);
    m_view.setEnabled(Control::Deleteselectedmails1, false);
    setAllowDeleteAccepted(false);
    reclassify(TableState::JustBuilt);
    if (!messages.hasMessages()) {
        m_view.setVisible(Control::Panel3, false);
        m_view.setEnabled(Control::button10, false);
        m_view.setEnabled(Control::Deleteselectedmails1, false);
    }
    if (knownBadRun)
        grid.knownBadSelectMode = false;
    updateSelectionFromGrid();
    rememberNewestCode();
    dispatcher.startPolling();
}

void Screener::renumberAfterDeletion(int number)
{
    if (number < 1)
        return;
    for (DownloadedRow &row : messages.rows) {
        if (row.number > number)
            --row.number;
    }
}

void Screener::emptyServer()
{
    if (dispatcher.pendingCommand != cmdIdle || session.isOpen())
        return;
    dispatcher.pauseTick();
    connectSession();
    const int count = session.isOpen() ? session.NMPOP31->MessageCount() : 0;
    if (count > 0
        && m_prompter.askYesNo(Prompter::Kind::Confirmation,
                               "Delete ALL " + std::to_string(count) + " messages at POP3 SERVER ? ")
        && m_prompter.askYesNo(Prompter::Kind::Confirmation,
                               "Are you sure to DELETE ALL MESSAGES at your POP3 server ? ")) {
        std::vector<std::string> deletions;
        for (int n = count; n >= 1; --n)
            deletions.push_back("DELE " + std::to_string(n));
        try {
            Pop3Batch batch(*session.NMPOP31, std::move(deletions));
            bool refused = false;
            for (int n = count; n >= 1 && session.isOpen(); --n) {
                if (refused && !batch.repliesOwed())
                    break;
                try {
                    batch.deleteMessage(n);
                } catch (const EPop3Refusal &) {
                    // No further DELE goes out; those written ahead of this reply are carried
                    // out at QUIT when the server acknowledged them, so each reply is read.
                    refused = true;
                    batch.stopSending();
                }
            }
        } catch (const std::exception &) {
            // lost (or a busy client): the rest is not deleted now; QUIT below
        }
    }
    if (session.isOpen())
        closeSession();
    dispatcher.resumeTick();
}

}  // namespace kestrix
