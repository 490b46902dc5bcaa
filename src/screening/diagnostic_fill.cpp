// The diagnostic "Reset to first Message in Mailbox" button: fills the message table from the
// rejected-mail log, so the classification can be tried without a server.
#include "screening/screener.h"
#include "screening/view.h"

namespace kestrix {

void Screener::fillFromRejectedLog()
{
    ListBox1.clear();
    ListBox2.clear();
    ListBox3.clear();
    ListBox5.clear();
    m_view.setVisible("Panel3", false);
    m_view.setVisible("Panel12", false);
    rowCodes.clear();
    // The start entry keeps rowCodes one ahead of the lists, as after a download from message 1.
    rowCodes.push_back("0");

    const auto &rows = rejectedLog.rows();
    for (size_t r = 1; r < rows.size(); ++r) {
        ListBox1.push_back(std::to_string(r + 124));
        ListBox2.push_back(rows[r].sender);
        ListBox3.push_back(rows[r].subject);
        ListBox5.push_back(std::string());
        rowCodes.push_back("0");
    }

    m_view.setVisible("TabSheet3", true);
    m_view.setVisible("TabSheet4", true);
    m_view.setEnabled("SpeedButton2", true);
    buildMessageTable(true);
    reclassify();
    setButton1Caption("Get Mail Headers: New");
}

}  // namespace kestrix
