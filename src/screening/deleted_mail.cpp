#include "screening/deleted_mail.h"

#include "profiles/list_files.h"
#include "profiles/text_file.h"
#include "screening/pending_command.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "screening/view.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>

namespace kestrix {

namespace {

struct CopyLines {
    std::vector<std::string> header;
    std::vector<std::string> body;
};

QString fromLatin1(const std::string &text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }
std::string toLatin1(const QString &text) { return text.toLatin1().toStdString(); }

// A stored copy as the reader takes a retrieved message: header lines with the empty line that
// ends them, then the body lines, all without line ends.
CopyLines splitCopy(const std::string &bytes)
{
    CopyLines lines;
    bool inHeader = true;
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::size_t eol = bytes.find('\n', pos);
        if (eol == std::string::npos)
            eol = bytes.size();
        std::string line = bytes.substr(pos, eol - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const bool ends = line.empty();
        (inHeader ? lines.header : lines.body).push_back(std::move(line));
        if (ends)
            inHeader = false;
        pos = eol + 1;
    }
    return lines;
}

// A parameter text word for a path: single-quoted, so blanks and quotes stay in it.
std::string quotedArgument(const std::string &path)
{
    std::string word = "'";
    for (const char c : path)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

}  // namespace

std::string askEmptyDeletedMailText(int count)
{
    return "Delete all " + std::to_string(count)
           + " messages in Deleted mail for good? They can no longer be restored.";
}

std::string askWhitelistSenderText(const std::string &sender)
{
    return "Add the sender \"" + sender + "\" to the whitelist?";
}

std::string deletedMailCaption(int count)
{
    return std::to_string(count) + (count == 1 ? " message" : " messages") + " in Deleted mail";
}

std::string deletedReasonText(const QuarantineEntry &entry)
{
    std::string text(deletionReasonName(entry.reason));
    return entry.headerOnly ? text + " (header lines only)" : text;
}

DeletedMail::DeletedMail(Screener &screener, ProgramStarter startMailProgram)
    : m_screener(screener), m_startMailProgram(std::move(startMailProgram))
{
}

const QuarantineStore *DeletedMail::store() const
{
    return m_screener.profile.quarantine ? &*m_screener.profile.quarantine : nullptr;
}

int DeletedMail::count() const { return store() ? int(store()->entries().size()) : 0; }

const QuarantineEntry *DeletedMail::entryAt(int row) const
{
    if (row < 0 || row >= count())
        return nullptr;
    const auto &entries = store()->entries();  // oldest first
    return &entries[entries.size() - 1 - std::size_t(row)];
}

std::string DeletedMail::caption() const
{
    if (!m_screener.profile.quarantineProblem.empty())
        return "Deleted mail cannot be opened: " + m_screener.profile.quarantineProblem;
    if (!store())
        return "Deleted mail is off for this profile: deleted messages are not kept";
    return deletedMailCaption(count());
}

void DeletedMail::fail(const std::string &why)
{
    m_screener.view().setStatus(why);
    m_screener.prompter().message(Prompter::Kind::Error, why);
}

bool DeletedMail::open(int id)
{
    const QuarantineEntry *entry = store() ? store()->find(id) : nullptr;
    const auto bytes = entry ? store()->read(*entry) : std::nullopt;
    if (!bytes) {
        fail("Cannot read the copy of message " + std::to_string(id));
        return false;
    }
    CopyLines lines = splitCopy(*bytes);
    try {
        m_content.setAttachFilePath(m_screener.attachmentsFolder);
        m_content.split(std::move(lines.header), std::move(lines.body));
    } catch (const std::exception &error) {
        fail(error.what());
        return false;
    }
    return true;
}

std::string DeletedMail::restoreCopy(const QuarantineEntry &entry)
{
    const ProfileConf &conf = m_screener.profile.conf;
    if (conf.restoreTarget() != RestoreTarget::MailProgram)
        return conf.restorePath().isEmpty()
                   ? std::string(kNoRestoreFolder)
                   : deliverCopy(*store(), entry, conf.restoreTarget(), conf.restorePath());
    const std::string &program = m_screener.profile.settings.MailToolPath;
    if (program.empty() || !m_startMailProgram)
        return kNoMailProgram;
    const auto bytes = store()->read(entry);
    if (!bytes)
        return "Cannot read the copy of message " + std::to_string(entry.id);
    // The mail program opens a file of its own that stays when the copy leaves Deleted mail.
    const QString folder = fromLatin1(m_screener.attachmentsFolder);
    QDir().mkpath(folder);
    const QString file = QDir(folder).filePath(
        QStringLiteral("restored-%1-%2.eml").arg(entry.deletedAt).arg(entry.id));
    if (const FileResult written = writeFileAtomically(file, *bytes); !written)
        return written.error;
    std::string params = m_screener.profile.settings.MailToolParams;
    params += (params.empty() ? "" : " ") + quotedArgument(toLatin1(file));
    return m_startMailProgram(program, params);
}

bool unlearnDeletedCopy(Learning &learning, const QuarantineEntry &entry, const std::string &bytes)
{
    // The training named the message by the header lines as TOP gave them: the lines up to and
    // with the empty one, then the end mark; its size was the server's, lines ended by CR LF.
    CopyLines lines = splitCopy(bytes);
    lines.header.push_back(".");
    long long size = entry.size;
    if (!entry.headerOnly)
        size += std::count(bytes.begin(), bytes.end(), '\n');
    return learning.unlearn(lines.header, size);
}

void DeletedMail::unlearn(const QuarantineEntry &entry, const std::string &bytes)
{
    if (unlearnDeletedCopy(m_screener.profile.learning, entry, bytes))
        m_screener.saveLearning();
}

bool DeletedMail::restore(int id, const QString &whitelistFile)
{
    const QuarantineEntry *found = store() ? store()->find(id) : nullptr;
    if (!found) {
        fail("No message " + std::to_string(id) + " in Deleted mail");
        return false;
    }
    const QuarantineEntry entry = *found;
    if (const std::string error = restoreCopy(entry); !error.empty()) {
        fail(error);
        return false;
    }
    if (const auto bytes = store()->read(entry))
        unlearn(entry, *bytes);
    forgetDeletionInLog(m_screener.profile.rejectedLog, entry);
    // Back in the user's mail: only now does the copy leave Deleted mail.
    if (const std::string error = m_screener.profile.quarantine->remove(id); !error.empty())
        fail(error);
    m_screener.view().setStatus("Message from " + entry.sender + " restored");
    if (entry.sender.empty() || m_screener.profile.whitelist.contains(entry.sender)
        || !m_screener.prompter().askYesNo(Prompter::Kind::Confirmation,
                                           askWhitelistSenderText(entry.sender)))
        return true;
    ScreeningProfile &profile = m_screener.profile;
    profile.whitelist.add(entry.sender);
    profile.rejectedLog.clearSender(entry.sender);
    if (const FileResult written = saveWhitelistFile(whitelistFile, profile.whitelist); !written)
        fail(written.error);
    // The sender's rows in the table are trusted now.
    if (m_screener.messages.hasMessages() && m_screener.dispatcher.pendingCommand == cmdIdle)
        m_screener.dispatcher.pendingCommand = cmdReclassify;
    return true;
}

bool DeletedMail::saveAs(int id, const QString &file)
{
    const QuarantineEntry *entry = store() ? store()->find(id) : nullptr;
    const auto bytes = entry ? store()->read(*entry) : std::nullopt;
    if (!bytes) {
        fail("Cannot read the copy of message " + std::to_string(id));
        return false;
    }
    if (const FileResult written = writeFileAtomically(file, *bytes); !written) {
        fail(written.error);
        return false;
    }
    m_screener.view().setStatus("Message saved as " + toLatin1(file));
    return true;
}

bool DeletedMail::deleteForGood(int id)
{
    if (!store() || !store()->find(id)
        || !m_screener.prompter().askYesNo(Prompter::Kind::Confirmation, kAskDeleteCopyForGood))
        return false;
    if (const std::string error = m_screener.profile.quarantine->remove(id); !error.empty()) {
        fail(error);
        return false;
    }
    return true;
}

bool DeletedMail::emptyAll()
{
    if (count() == 0
        || !m_screener.prompter().askYesNo(Prompter::Kind::Confirmation,
                                           askEmptyDeletedMailText(count())))
        return false;
    if (const std::string error = m_screener.profile.quarantine->removeAll(); !error.empty()) {
        fail(error);
        return false;
    }
    return true;
}

bool DeletedMail::setDestination(RestoreTarget target, const QString &path)
{
    m_screener.profile.conf.setRestoreDestination(target, path);
    if (m_screener.profile.confFile.isEmpty())
        return true;
    // Only these keys: the file may hold choices the window has not saved yet on purpose.
    ProfileConf saved = ProfileConf::load(m_screener.profile.confFile);
    saved.setRestoreDestination(target, path);
    if (const FileResult written = saved.save(m_screener.profile.confFile); !written) {
        fail(written.error);
        return false;
    }
    return true;
}

}  // namespace kestrix
