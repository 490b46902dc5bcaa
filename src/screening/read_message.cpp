// Reading one whole message: the dispatcher's command 7 retrieves the selected row's message
// into the message reader (the message stays on the server), and kestrix-cli read retrieves a
// message by its number.
#include "screening/pop3_requests.h"
#include "screening/refusal_text.h"
#include "screening/screener.h"
#include "screening/view.h"
#include "text/latin1.h"
#include "text/line_end.h"
#include "transport/pop3_client.h"

#include <cstdint>

namespace kestrix {

bool Screener::retrieveMessage(int number)
{
    readError.clear();
    if (!session.isOpen()) {
        readError
            = session.sessionError.empty() ? std::string("No connection") : session.sessionError;
        return false;
    }
    try {
        // The client only reads; the content side splits the lines and stores the parts.
        TNMPOP3::RetrievedMessage raw = session.NMPOP31->FetchMessage(number);
        readContent.setAttachFilePath(attachmentsFolder);
        readContent.OnStatus = [this](const std::string &text) { NMPOP31Status(text); };
        readContent.split(std::move(raw.header), std::move(raw.body));
        return true;
    } catch (const EPop3Refusal &refusal) {
        readError = refusalText(refusal);
    } catch (const std::exception &error) {
        readError = error.what();
    }
    readError = withoutTrailingLineEnds(std::move(readError));
    return false;
}

// The same check a deletion makes: the server still holds the row's message under its number
// (another program may have removed or fetched messages since the table was built).
bool Screener::rowStillNamesMessage(std::size_t index, int number)
{
    const std::string &rowCode = messages.rows[index].code;
    if (!session.isOpen() || rowCode.empty() || rowCode == "-1"
        || number > session.NMPOP31->MessageCount())
        return false;
    return codeOfMessage(*session.NMPOP31, number) == rowCode;
}

bool Screener::readSelectedMessage()
{
    messages.clearTrustedLists();
    m_window->showReaderFolder(attachmentsFolder);
    if (grid.selTop != grid.selBottom)
        return false;

    dispatcher.pauseTick();
    setAllowDeleteAccepted(false);
    m_view.setVisible(Control::Panel14, true);
    if (connectSession()) {
        const int number = messages.numberOfRow(grid.selTop);
        // A failed retrieval leaves the reader as it was; the reason goes to the status line.
        // A message that is no longer the one the row shows is not read at all.
        if (number > 0) {
            if (!rowStillNamesMessage(std::size_t(grid.selTop) - 1, number)) {
                closeSession();
                m_view.setStatus("Message " + std::to_string(number)
                                 + " not read: on the server it is no longer the message shown"
                                   " (the mailbox changed since the last download)");
                return true;
            }
            if (retrieveMessage(number)) {
                m_window->fillReader(readContent.CurrentMessage);
            } else {
                m_view.setStatus(readError);
            }
        }
    }
    closeSession();
    m_window->showReader();
    return true;
}

}  // namespace kestrix
