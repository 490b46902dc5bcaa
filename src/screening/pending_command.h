#pragma once
// The dispatcher's queued command. User actions and the poller only store a code; the
// dispatcher's next tick runs it inside a POP3 session and sets the code back to idle.

namespace kestrix {

enum PendingCommand : int {
    cmdIdle = 0,
    cmdGetHeaders = 1,
    cmdReclassify = 2,
    cmdDeleteSelected = 3,
    cmdCheckNewMail = 4,
    cmdGetAndCheck = 5,
    cmdStartMailTool = 6,
    cmdReadMessage = 7,
    cmdDeleteKnownBad = 8,
};

}  // namespace kestrix
