// The reclassify run: collects the rows from trusted senders, rebuilds the table and decides
// which banner, caption and buttons the window offers.
#include "screening/screener.h"
#include "screening/view.h"

namespace kestrix {

void Screener::reclassify(TableState table)
{
    m_view.setEnabled(Control::SpeedButton27, false);
    m_view.setVisible(Control::Panel12, false);
    m_view.showPage(Control::TabSheet3);
    m_view.setDetails({});

    if (!messages.hasMessages()) {
        m_view.setVisible(Control::Panel3, false);
        if (!messages.trustedNumbers.empty()) {
            m_view.setText(Control::Label24, std::to_string(messages.trustedNumbers.size())
                                          + " messages from trusted e-mail addresses");
        } else {
            m_view.setText(Control::Label24, "No new messages on server");
            messages.messageTable.setRowCount(2);
            m_view.messageTableChanged();
        }
        setMainButtonMode(MainButtonMode::GetNew);
        m_view.setVisible(Control::Panel12, true);
        // Nothing to look at: a window shown for a check from the tray hides again.
        m_view.setEnabled(Control::Timer1, true);
        return;
    }

    profile.settings.resumeCode = "-1";
    profile.settings.resumeFallbackCode = "-1";
    profile.settings.resumeCodeCopy = "-1";
    setAllowDeleteAccepted(false);

    // Collected afresh on every run, so repeated runs do not count the same rows twice. The
    // table is built first: a whitelisted sender that is forged or an impostor is not trusted.
    messages.clearTrustedLists();
    // The table is classified once per run: where the caller has just built it, only the
    // build's other steps are taken again.
    if (table == TableState::JustBuilt && messages.messageTable.classified())
        showBuiltTable(false);
    else
        buildMessageTable(false);
    bool anyUntrusted = false;
    for (size_t i = messages.rows.size(); i-- > 0;) {
        const DownloadedRow &row = messages.rows[i];
        if (profile.whitelist.empty() || !messages.messageTable.isTrusted(int(i) + 1)) {
            anyUntrusted = true;
            continue;
        }
        messages.trustedNumbers.push_back(row.number);
        messages.trustedSenders.push_back(row.sender);
        messages.trustedSubjects.push_back(row.subject);
        messages.trustedSizes.push_back(row.sizeContentText());
    }
    if (anyUntrusted)
        setMainButtonMode(MainButtonMode::GetNew);

    // "Select known bad or blacklisted " is offered for known-bad rows of unknown senders (read
    // from the table just built), also while the whitelist is empty: every sender is unknown
    // then; and for rows whose verdicts count as bad whatever the whitelist holds.
    for (int r = 1; r <= int(messages.rows.size()); ++r) {
        if (messages.messageTable.isTrusted(r))
            continue;
        if (messages.messageTable.isKnownBadOrBlacklisted(r)
            || messages.messageTable.verdicts(r).countsAsBad) {
            m_view.setEnabled(Control::SpeedButton27, true);
            break;
        }
    }

    if (messages.allTrusted) {
        m_view.setVisible(Control::Panel3, false);
        m_view.setVisible(Control::Panel12, true);
        setMainButtonMode(MainButtonMode::GetNew);
    } else {
        m_view.setVisible(Control::Panel3, true);
        m_view.setVisible(Control::Panel1, true);
    }

    m_view.setEnabled(Control::Timer1, true);
    m_view.setBusyCursor(false);
    dispatcher.startPolling();
    m_view.setEnabled(Control::Button66, true);
}

}  // namespace kestrix
