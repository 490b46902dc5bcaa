// The diagnostic "Reset to first Message in Mailbox" button: fills the message table from the
// rejected-mail log, so the classification can be tried without a server.
#include "screening/screener.h"
#include "screening/view.h"

namespace kestrix {

void Screener::fillFromRejectedLog()
{
    messages.rows.clear();
    m_view.setVisible(Control::Panel3, false);
    m_view.setVisible(Control::Panel12, false);
    // (an assignment from a literal trips a false g++ 12 -Wrestrict)
    messages.startCode.assign(1, '0');
    const auto &logRows = profile.rejectedLog.rows();
    for (size_t r = 1; r < logRows.size(); ++r) {
        DownloadedRow row;
        row.number = r + 124;
        row.sender = logRows[r].sender;
        row.subject = logRows[r].subject;
        row.fromLog = true;
        messages.rows.push_back(std::move(row));
    }

    m_view.setVisible(Control::TabSheet3, true);
    m_view.setVisible(Control::TabSheet4, true);
    m_view.setEnabled(Control::SpeedButton2, true);
    buildMessageTable(true);
    reclassify(TableState::JustBuilt);
    setMainButtonMode(MainButtonMode::GetNew);
}

}  // namespace kestrix
