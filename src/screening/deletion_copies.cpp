// The copy kept before a deletion: every message whose check held is retrieved whole (RETR,
// sent ahead in the checks' own batch where the server pipelines) and stored in Deleted mail;
// only then may its DELE go out. A copy made by an earlier run that never reached its DELE is
// found by the unique id and not retrieved again.
#include "files/fault_point.h"
#include "screening/screener.h"
#include "screening/view.h"
#include "transport/pop3_batch.h"
#include "transport/pop3_client.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>

namespace kestrix {

namespace {

// The message as a mail file holds it (and Dovecot keeps it): every line ended by LF.
std::string mailFileText(const TNMPOP3::RetrievedMessage &message)
{
    std::size_t size = 0;
    for (const auto *lines : {&message.header, &message.body})
        for (const std::string &line : *lines)
            size += line.size() + 1;
    std::string text;
    text.reserve(size);
    for (const auto *lines : {&message.header, &message.body})
        for (const std::string &line : *lines) {
            text += line;
            text += '\n';
        }
    return text;
}

}  // namespace

std::vector<Screener::DeletionCandidate>
Screener::keepCopies(const std::vector<DeletionCandidate> &held, bool knownBadRun,
                     std::optional<Pop3Batch> &batch, std::exception_ptr &failure)
{
    std::vector<DeletionCandidate> copied;
    std::string reason;
    const auto notCopied = [&](std::size_t count, const std::string &why) {
        lastDeletion.notCopied += int(count);
        reason = why;
    };
    if (!profile.quarantine) {
        notCopied(held.size(), profile.quarantineProblem);
    } else {
        std::vector<std::string> retrievals;
        for (const DeletionCandidate &c : held) {
            if (!batch && !profile.quarantine->findUniqueId(messages.rows[c.index].code))
                retrievals.push_back("RETR " + std::to_string(c.number));
        }
        for (std::size_t k = 0; k < held.size(); ++k) {
            const DeletionCandidate &c = held[k];
            const DownloadedRow &row = messages.rows[c.index];
            if (profile.quarantine->findUniqueId(row.code)) {
                copied.push_back(c);
                continue;
            }
            if (!session.isOpen()) {
                notCopied(held.size() - k, "Connection lost");
                break;
            }
            std::string message;
            try {
                if (!batch)
                    batch.emplace(*session.NMPOP31, retrievals);
                message = mailFileText(batch->fetchMessage(c.number));
            } catch (const std::exception &error) {
                lastDeletion.failure = error.what();
                failure = std::current_exception();
                notCopied(held.size() - k, error.what());
                break;
            }
            DeletionReason why = DeletionReason::ChosenByHand;
            if (knownBadRun)
                why = messages.messageTable.marker(MessageTable::ColSubject, c.row)
                        == CellMarker::KNBP
                    ? DeletionReason::BlacklistedWord
                    : DeletionReason::KnownBadSender;
            const std::string error
                = profile.quarantine->stage(row.code, row.sender, row.subject, why, message,
                                            QDateTime::currentSecsSinceEpoch());
            if (error.empty())
                copied.push_back(c);
            else
                notCopied(1, error);
            QCoreApplication::processEvents();
        }
    }
    // The staged copies reach the disk with one flush; one that could not is not deleted.
    if (profile.quarantine) {
        const QuarantineStore::Unkept unkept = profile.quarantine->commitStaged();
        const auto lost = std::erase_if(copied, [&](const DeletionCandidate &c) {
            return std::find(unkept.uniqueIds.begin(), unkept.uniqueIds.end(),
                             messages.rows[c.index].code)
                   != unkept.uniqueIds.end();
        });
        if (lost > 0)
            notCopied(lost, unkept.reason);
    }
    // The index names the copies before any of them is deleted on the server.
    if (profile.quarantine && !copied.empty()) {
        if (const std::string error = profile.quarantine->saveIndex(); !error.empty()) {
            notCopied(copied.size(), error);
            copied.clear();
        }
    }
    faultPoint("after-copies");
    lastDeletion.kept += int(copied.size());
    if (lastDeletion.notCopied > 0) {
        lastDeletion.copyFailure = std::to_string(lastDeletion.notCopied)
                                   + " message(s) not deleted: no copy could be kept under "
                                     "Deleted mail ("
                                   + reason + ")";
        m_view.setStatus(lastDeletion.copyFailure);
    }
    return copied;
}

}  // namespace kestrix
