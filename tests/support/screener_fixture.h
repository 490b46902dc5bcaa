#pragma once
// The Screener of the screening's tests, put together as the program does: the recording view,
// the scripted prompter, a temp data folder holding the profile "default"'s files (NAME.acc,
// NAME.log, NAME.conf) and the attachments, and a POP3 client. What differs between the tests
// is the account the client is pointed at: none (no server), the fake POP3 server of a scripted
// dialogue, or a throw-away real server.
//
//   ScreenerFixture        the parts, for a test that needs a fresh Screener per run
//   ScreenerTest           a test fixture on them, without a server
//   ScreenerDialogueTest   the same, pointed at the fake server of a Pop3Dialogue

#include "profiles/profile_store.h"
#include "screening/screener.h"
#include "support/pop3_dialogue.h"
#include "support/recording_view.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "transport/pop3_client.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrix::test {

struct ScreenerFixture {
    ScreenerFixture();

    // The account of the scripted dialogues on 127.0.0.1:port (user joe, password "secret"),
    // in plain POP3 as older versions spoke it (no CAPA, no STLS); attaches the client.
    void pointAt(int port);
    // A real server's account (DovecotServer, MailutilsServer), under the profile's own
    // security choice; attaches the client.
    template <class Server>
        requires requires(const Server &server) { server.host(); }
    void pointAt(const Server &server)
    {
        pointAt(server.host(), server.port(), server.user(), server.password());
    }
    void pointAt(const std::string &host, int port, const std::string &user,
                 const std::string &password);

    // Appends one row as a download leaves it: number, sender, subject and code (made from the
    // number when empty), with a stored header of `size` bytes whose content line is
    // `contentType` (none when empty).
    void addMessage(int number, const std::string &sender, const std::string &subject,
                    const std::string &code = {}, int size = 1000,
                    const std::string &contentType = "text/plain");
    // The code a row carries for the unique id a server sends (the id keeps its line end).
    static std::string codeOf(const std::string &uid);

    CellMarker senderMarker(int row) const { return s.messages.messageTable.marker(MessageTable::ColSender, row); }
    CellMarker subjectMarker(int row) const { return s.messages.messageTable.marker(MessageTable::ColSubject, row); }

    TempFolder folder;  // the data folder
    const ProfilePaths files = profilePaths(folder.dir(), "default");
    RecordingView view;
    ScriptedPrompter prompter;
    Screener s{view, prompter};
    TNMPOP3 pop;
    Pop3Attachment attached;  // the client's events, once an account is chosen
};

class ScreenerTest : public ::testing::Test, protected ScreenerFixture {};

// The fake server is a base, so it outlives the client that talks to it.
class ScreenerDialogueTest : protected Pop3Dialogue, public ScreenerTest {
protected:
    void SetUp() override { pointAt(fake.port()); }
};

}  // namespace kestrix::test
