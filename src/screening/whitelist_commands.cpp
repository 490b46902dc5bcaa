// The whitelist commands of the message page and the whitelist page: add and remove the senders
// of table rows, delete entries, load and save the list file, and the count captions.
#include "profiles/list_files.h"
#include "screening/list_commands.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "screening/view.h"
#include "text/latin1.h"

#include <algorithm>
#include <functional>

namespace kestrix {

namespace {


}  // namespace

std::string trustedAddressesText(size_t count)
{
    return std::to_string(count) + " trusted addresses";
}

std::string acceptedAddressesText(size_t count)
{
    return std::to_string(count) + " accepted E-MAIL Addresses";
}

void Screener::AddToWhitelist(const QString &whitelistFile)
{
    m_view.setEnabled(Control::button10, false);
    m_view.setEnabled(Control::Deleteselectedmails1, false);
    if (!messages.hasMessages())
        return;

    const int lastDataRow = std::min(messages.messageTable.lastRow(), int(messages.rows.size()));
    for (int r = 1; r <= lastDataRow; ++r) {
        const bool chosen = grid.knownBadSelectMode
                                ? messages.messageTable.isKnownBadOrBlacklisted(r)
                                : (r >= grid.selTop && r <= grid.selBottom);
        if (!chosen)
            continue;
        // A row whose whole cell, marker included, is already an entry was added before.
        if (profile.whitelist.contains(
                messages.messageTable.displayText(MessageTable::ColSender, r)))
            continue;
        // The text without its marker: the marker lives beside it, so a sender that itself
        // begins with the section sign keeps every byte.
        const std::string &sender = messages.messageTable.text(MessageTable::ColSender, r);
        if (!profile.whitelist.contains(sender))
            profile.whitelist.add(sender);
        // Trusting the sender says the message is good.
        trainRow(r, Judgement::Good);
        // A trusted sender no longer counts as known bad.
        profile.rejectedLog.clearSender(sender);
    }

    setMainButtonMode(MainButtonMode::GetNew);
    m_view.setEnabled(Control::button7, false);
    dispatcher.pendingCommand = cmdReclassify;

    if (!messages.hasMessages()) {
        m_view.setVisible(Control::Panel3, false);
        m_view.setEnabled(Control::button10, false);
        m_view.setEnabled(Control::Deleteselectedmails1, false);
    }

    if (const FileResult written = saveWhitelistFile(whitelistFile, profile.whitelist); !written)
        m_prompter.message(Prompter::Kind::Error, written.error);
    saveLearning();
    m_view.setEnabled(Control::SpeedButton31, true);
}

void Screener::RemoveFromWhitelist()
{
    int removed = 0;
    const int top = std::max(grid.selTop, 1);
    const int bottom = std::min(grid.selBottom, messages.messageTable.lastRow());
    for (int r = bottom; r >= top; --r) {
        // A known-bad sender cell is looked up with its marker, as the cell reads, and so is
        // never found: only trusted and unmarked senders are taken off the list.
        if (messages.messageTable.marker(MessageTable::ColSender, r) == CellMarker::KNBA)
            continue;
        if (profile.whitelist.removeOne(messages.messageTable.text(MessageTable::ColSender, r)))
            ++removed;
    }
    m_view.setStatus(std::to_string(removed) + " Addresses removed from whitelist");
    reclassify();
}

void Screener::deleteWhitelistAddresses(std::vector<int> indexes, const QString &whitelistFile)
{
    // From the last to the first, so the indexes still to come keep their entries.
    std::sort(indexes.begin(), indexes.end(), std::greater<>());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    for (int index : indexes) {
        if (index >= 0)
            profile.whitelist.removeAt(size_t(index));
    }

    if (profile.whitelist.empty()
        && m_prompter.askYesNo(Prompter::Kind::Confirmation, kAskSaveEmptyWhitelist)) {
        if (const FileResult written = saveWhitelistFile(whitelistFile, profile.whitelist);
            !written)
            m_prompter.message(Prompter::Kind::Error, written.error);
    }
    const std::string count = trustedAddressesText(profile.whitelist.size());
    m_view.setText(Control::Label13, count);
    m_view.setText(Control::Label25, count);

    buildMessageTable(true);
    reclassify(TableState::JustBuilt);
    m_view.showPage(Control::TabSheet4);
}

bool ListCommands::loadWhitelist(const QString &whitelistFile)
{
    // Read into a copy: a file that cannot be read leaves the list as it was.
    Whitelist loaded;
    if (const FileResult read = loadWhitelistFile(whitelistFile, loaded, WhitelistDecoding::AsStored);
        !read) {
        m_prompter.message(Prompter::Kind::Error, read.error);
        return false;
    }
    m_profile.whitelist = std::move(loaded);
    m_view.setText(Control::Label13, trustedAddressesText(m_profile.whitelist.size()));
    return true;
}

bool ListCommands::saveWhitelist(const QString &whitelistFile)
{
    if (const FileResult written = saveWhitelistFile(whitelistFile, m_profile.whitelist); !written) {
        m_prompter.message(Prompter::Kind::Error, written.error);
        return false;
    }
    return true;
}

void ListCommands::TabSheet4Show()
{
    const std::string count = trustedAddressesText(m_profile.whitelist.size());
    m_view.setText(Control::Label25, count);
    m_view.setText(Control::Label13, count);
}

void ListCommands::whitelistPageChanged()
{
    m_view.setText(Control::Label25, acceptedAddressesText(m_profile.whitelist.size()));
}

void ListCommands::showStartPageCounts()
{
    m_view.setText(Control::Label19, std::to_string(m_profile.whitelist.size()));
    m_view.setText(Control::Label21, std::to_string(m_profile.settings.DeletedCount));
}

bool Screener::whitelistHoldsSender(int row) const
{
    return row >= 1 && row <= int(messages.rows.size())
           && profile.whitelist.contains(messages.messageTable.text(MessageTable::ColSender, row));
}

}  // namespace kestrix
