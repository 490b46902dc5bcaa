#pragma once
// What the screening asks of the window beyond the View (fire-and-forget controls) and the
// Prompter (questions): the grid's selection and current row, the details pane, the pages, the
// message reader and the desktop. One interface for that direction: the window's controller
// implements it; kestrix-cli and tests use these defaults, which skip each step.

#include "profiles/profile_conf.h"

#include <optional>
#include <string>
#include <utility>

namespace kestrix {

class TMailMessage;

class WindowSide {
public:
    virtual ~WindowSide() = default;

    // ---- the dispatcher's tick and commands ----
    // Queued commands wait while the configuration page (TabSheet5) is shown.
    virtual bool configurationPageShown() const { return false; }
    // The grid's first and last selected row; nothing without a grid.
    virtual std::optional<std::pair<int, int>> gridSelection() const { return std::nullopt; }
    // The grid's current row, whose header details the pane shows; nothing without a grid.
    virtual std::optional<int> currentRow() const { return std::nullopt; }
    virtual void showDetails(int /*row*/) {}
    // To the tray (after the mail program started, with HideOnMailTool).
    virtual void hideWindow() {}
    // Starts the mail program without waiting for it; a program that cannot start is ignored.
    virtual void startMailTool(const std::string & /*path*/, const std::string & /*params*/) {}

    // ---- the session ----
    // A connection is about to open: the window keeps the password in use for this profile
    // (the Screener's, as typed) and runs the daily update check, whose outcome never stops
    // the connection.
    virtual void connectionStarting(const std::string & /*password*/) {}
    // Security was switched to mode after a server asked for TLS (the choice is saved).
    virtual void securityModeShown(SecurityMode /*mode*/) {}

    // ---- the automatic check ----
    // The new-mail check saw a new newest message: how many are new and how many of those come
    // from senders not on the whitelist, once per newest message. Counting costs the server
    // work, so it is done only for a side that shows the count (countsNewMail).
    virtual bool countsNewMail() const { return false; }
    virtual void newMailFound(int /*count*/, int /*unknown*/) {}
    // A deletion run settled after the server's QUIT (lastDeletion says what it did).
    virtual void deletionSettled() {}

    // ---- the message reader (TForm4) ----
    virtual void showReaderFolder(const std::string & /*folder*/) {}  // its attachment list
    virtual void fillReader(const TMailMessage & /*message*/) {}      // sender, subject, text
    virtual void showReader() {}                                      // shown and in front
};

}  // namespace kestrix
