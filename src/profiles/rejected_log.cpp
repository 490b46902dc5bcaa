#include "profiles/rejected_log.h"

#include "text/latin1.h"

#include <algorithm>

namespace kestrix {

namespace {
const char kSenderTitle[] = "Sender";
const char kSubjectTitle[] = "Subject";
}  // namespace

RejectedLog::RejectedLog()
{
    clear();
}

bool RejectedLog::isKnownBadSender(std::string_view sender) const
{
    // A search from the title row down finds the title first for "Sender" in any case.
    if (equalsIgnoreCaseAZ(m_rows[0].sender, sender))
        return false;
    return m_senders.find(sender) != m_senders.end();
}

bool RejectedLog::isKnownBadSubject(std::string_view subject) const
{
    if (equalsIgnoreCaseAZ(m_rows[0].subject, subject))
        return false;
    return m_subjects.find(subject) != m_subjects.end();
}

bool RejectedLog::senderColumnHas(std::string_view text) const
{
    return equalsIgnoreCaseAZ(m_rows[0].sender, text) || m_senders.find(text) != m_senders.end();
}

bool RejectedLog::subjectColumnHas(std::string_view text) const
{
    return equalsIgnoreCaseAZ(m_rows[0].subject, text)
        || m_subjects.find(text) != m_subjects.end();
}

void RejectedLog::appendRejected(std::string_view sender, std::string_view subject)
{
    std::string lowSender = lowerAZ(sender);
    std::string lowSubject = lowerAZ(subject);
    // A known sender with a new subject is still logged, so the new subject becomes known bad.
    if (!senderColumnHas(lowSender) || !subjectColumnHas(lowSubject))
        appendRow(std::move(lowSender), std::move(lowSubject));
}

void RejectedLog::appendRow(std::string sender, std::string subject)
{
    m_rows.push_back(LogRow{std::move(sender), std::move(subject)});
    indexRow(int(m_rows.size()) - 1);
}

void RejectedLog::clearSender(std::string_view lowered)
{
    auto it = m_senders.find(lowered);
    if (it == m_senders.end())
        return;
    const std::vector<int> candidates = it->second;  // clearRow changes the bucket
    for (int r : candidates) {
        if (m_rows[size_t(r)].sender == lowered)
            clearRow(r);
    }
}

void RejectedLog::clearRow(int r)
{
    if (r < 1 || r >= rowCount())
        return;
    LogRow &row = m_rows[size_t(r)];
    if (row.sender.empty() && row.subject.empty())
        return;
    unindexRow(r);
    row.sender.clear();
    row.subject.clear();
    indexRow(r);
}

void RejectedLog::clear()
{
    m_rows.assign(1, LogRow{kSenderTitle, kSubjectTitle});
    m_senders.clear();
    m_subjects.clear();
}

void RejectedLog::resetToEmptyRow()
{
    clear();
    appendRow(std::string(), std::string());
}

void RejectedLog::indexRow(int r)
{
    const LogRow &row = m_rows[size_t(r)];
    m_senders[row.sender].push_back(r);
    ++m_subjects[row.subject];
}

void RejectedLog::unindexRow(int r)
{
    const LogRow &row = m_rows[size_t(r)];
    if (auto it = m_senders.find(row.sender); it != m_senders.end()) {
        auto &bucket = it->second;
        if (auto at = std::find(bucket.begin(), bucket.end(), r); at != bucket.end())
            bucket.erase(at);
        if (bucket.empty())
            m_senders.erase(it);
    }
    if (auto it = m_subjects.find(row.subject); it != m_subjects.end() && --it->second == 0)
        m_subjects.erase(it);
}

}  // namespace kestrix
