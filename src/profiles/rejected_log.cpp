#include "profiles/rejected_log.h"

#include "text/header_decoding.h"
#include "text/latin1.h"

#include <algorithm>

namespace kestrix {

namespace {
const char kSenderTitle[] = "Sender";
const char kSubjectTitle[] = "Subject";

std::uint64_t nextRevision()
{
    static std::uint64_t counter = 0;
    return ++counter;
}
}  // namespace

RejectedLog::RejectedLog()
{
    clear();
}

// A copy has texts of its own: the rows of other point into other's arena.
RejectedLog::RejectedLog(const RejectedLog &other) : RejectedLog()
{
    *this = other;
}

RejectedLog &RejectedLog::operator=(const RejectedLog &other)
{
    if (this == &other)
        return *this;
    clear();
    reserve(other.m_rows.size() - 1);
    for (size_t r = 1; r < other.m_rows.size(); ++r)
        appendRow(other.m_rows[r].sender, other.m_rows[r].subject);
    return *this;
}

void RejectedLog::touch()
{
    m_revision = nextRevision();
}

bool RejectedLog::isKnownBadSender(std::string_view sender) const
{
    // A search from the title row down finds the title first for "Sender" in any case.
    if (equalsIgnoreCaseAZ(m_rows[0].sender, sender))
        return false;
    return m_senders.contains(sender);
}

bool RejectedLog::isKnownBadSubject(std::string_view subject) const
{
    if (equalsIgnoreCaseAZ(m_rows[0].subject, subject))
        return false;
    return m_subjects.contains(subject);
}

bool RejectedLog::senderColumnHas(std::string_view text) const
{
    return equalsIgnoreCaseAZ(m_rows[0].sender, text) || m_senders.contains(text);
}

bool RejectedLog::subjectColumnHas(std::string_view text) const
{
    return equalsIgnoreCaseAZ(m_rows[0].subject, text)
        || m_subjects.contains(text);
}

void RejectedLog::appendRejected(std::string_view sender, std::string_view subject)
{
    const std::string lowSender = lowerOutsideEncodedWords(sender);
    const std::string lowSubject = lowerOutsideEncodedWords(subject);
    // A known sender with a new subject is still logged, so the new subject becomes known bad.
    if (!senderColumnHas(lowSender) || !subjectColumnHas(lowSubject))
        appendRow(lowSender, lowSubject);
}

void RejectedLog::appendRow(std::string_view sender, std::string_view subject)
{
    m_rows.push_back(LogRow{m_texts.store(sender), m_texts.store(subject)});
    indexRow(int(m_rows.size()) - 1);
    touch();
}

void RejectedLog::clearSender(std::string_view sender)
{
    const std::string lowered = lowerOutsideEncodedWords(sender);
    const SenderRows *rows = m_senders.find(lowered);
    if (!rows)
        return;
    std::vector<int> candidates;  // clearRow changes the chain
    candidates.reserve(size_t(rows->count));
    for (int r = rows->head; r != -1; r = m_next[size_t(r)])
        candidates.push_back(r);
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
    row.sender = {};
    row.subject = {};
    indexRow(r);
    touch();
}

void RejectedLog::clear()
{
    m_senders.clear();
    m_subjects.clear();
    m_rows.assign(1, LogRow{kSenderTitle, kSubjectTitle});
    m_texts.clear();
    m_next.assign(1, -1);
    m_prev.assign(1, -1);
    touch();
}

void RejectedLog::reserve(size_t rows)
{
    m_rows.reserve(rows + 1);
    m_next.reserve(rows + 1);
    m_prev.reserve(rows + 1);
    m_senders.reserve(rows);
    m_subjects.reserve(rows);
}

void RejectedLog::resetToEmptyRow()
{
    clear();
    appendRow(std::string(), std::string());
}

void RejectedLog::indexRow(int r)
{
    const LogRow &row = m_rows[size_t(r)];
    if (m_next.size() < m_rows.size()) {
        m_next.resize(m_rows.size(), -1);
        m_prev.resize(m_rows.size(), -1);
    }
    // A row with both cells empty is a deleted entry (the log page's "Delete Line", a sender
    // put on the whitelist, the blank row of a fresh table): it is never written, and it must
    // not make every message with an empty subject look known bad either.
    if (isDeletedEntry(row))
        return;
    SenderRows &rows = m_senders[row.sender];
    m_next[size_t(r)] = -1;
    m_prev[size_t(r)] = rows.tail;
    if (rows.tail == -1)
        rows.head = r;
    else
        m_next[size_t(rows.tail)] = r;
    rows.tail = r;
    ++rows.count;
    ++m_subjects[row.subject];
}

void RejectedLog::unindexRow(int r)
{
    const LogRow &row = m_rows[size_t(r)];
    if (isDeletedEntry(row))
        return;
    if (SenderRows *rows = m_senders.find(row.sender)) {
        const int prev = m_prev[size_t(r)], next = m_next[size_t(r)];
        (prev == -1 ? rows->head : m_next[size_t(prev)]) = next;
        (next == -1 ? rows->tail : m_prev[size_t(next)]) = prev;
        if (--rows->count == 0)
            m_senders.erase(row.sender);
    }
    if (int *count = m_subjects.find(row.subject); count && --*count == 0)
        m_subjects.erase(row.subject);
}

}  // namespace kestrix
