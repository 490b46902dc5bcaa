#pragma once
// The update check: the release page read into the texts of the "Check for Updates" dialog
// (TForm2), the manual check that shows the dialog, and the daily check that runs before a
// server command connects. The page comes through a reader function (the HTTP client in the
// program, a fake web server or a lambda in tests) and the date through a clock function, so
// both checks run without the maker's server and without waiting for midnight.
//
// Release page: plain text lines; line 2 names the newest release, perhaps wrapped in markup
// ("<b>3.0.3 - May 2004</b>"); the lines from 4 on are the release notes.

#include "profiles/profile_settings.h"

#include <functional>
#include <string>
#include <vector>

namespace kestrix {

class TNMHTTP;
class View;

inline constexpr char kUpdateNotice[] = "Update Info available !";
inline constexpr char kNoNetworkText[] = "Network access is not available or server is down !";

// What the dialog shows; it keeps the texts of the last read until the next one.
struct UpdateDialogTexts {
    std::string newVersion = "No release read yet";  // Label2
    std::string installedVersion;                    // Label5
    std::vector<std::string> notes;                  // Memo1, one entry per line
    bool dontCheck = false;  // CheckBox1 "Don't automatically check for updates  !"
};

// The lines a text box makes of a page: split at CR LF, LF or CR; a last line end adds no
// empty line.
std::vector<std::string> splitPageLines(const std::string &page);
// The published version in a line 2: a ">" after the first character cuts everything up to it,
// then a "<" cuts everything from it on.
std::string publishedVersion(std::string line2);
// Puts the page into texts: with at least two lines, newVersion becomes "Kestrix " + v and the
// notes are the lines from 4 on; with fewer, the notes are the page's lines and newVersion stays.
// Returns v ("" for a page of fewer than two lines).
std::string readReleasePage(UpdateDialogTexts &texts, const std::string &page);

// The page at url through the HTTP client: the body of a reply 200..299. Any other reply is
// a failed read (an error page names no release), as are the client's own failures.
std::string fetchReleasePage(TNMHTTP &http, const std::string &url);

// Today as the system's short date text (the form LastUpdateCheck is kept in).
std::string shortDateToday();
// The release page: the environment variable KESTRIX_RELEASE_URL when set, else the address
// the build was configured with.
std::string releasePageUrl();
// The download page handed to the web browser.
std::string downloadPageUrl();
// "Kestrix for POP3 - Version " + the installed version text.
std::string mainWindowCaption();

class UpdateCheck {
public:
    // The page's text; raises on any failure.
    using PageReader = std::function<std::string(const std::string &url)>;
    using Clock = std::function<std::string()>;
    // Shows the dialog modally (its check box may change texts.dontCheck); true for Yes.
    using DialogRunner = std::function<bool(UpdateDialogTexts &texts)>;
    using UrlOpener = std::function<void(const std::string &url)>;

    // settings: the current profile's (DailyUpdateCheck, LastUpdateCheck); view: the notice
    // "StaticText2", the check box "CheckBox6" and the beep.
    UpdateCheck(View &view, ProfileSettings &settings);

    std::string releaseUrl = releasePageUrl();
    std::string downloadUrl = downloadPageUrl();
    // The daily check announces a release whose version does not occur in this text.
    std::string caption = mainWindowCaption();
    PageReader readPage;
    Clock today = shortDateToday;
    DialogRunner showDialog;
    UrlOpener openUrl;
    UpdateDialogTexts texts;

    // "Updates" and a click on the notice: read the page, show the dialog, open the download
    // page on Yes; a failed read shows kNoNetworkText in the dialog.
    void manualCheck();
    // The first step of connecting for a server command: once a day, and only when the daily
    // check is on, read the page and show the notice when it announces another version.
    // Failures stay silent; the day counts as checked before the page is read.
    void dailyCheck();
    // The daily-check box was clicked: unchecking it forgets the day and hides the notice.
    void dailyCheckClicked(bool checked);
    // A check is reading the page or showing the dialog; a second one started meanwhile (a
    // click while the daily check waits for the web server) does nothing.
    bool running() const { return m_running; }

private:
    // Reads the page into texts; v, or nothing when the read failed.
    bool read(std::string &version);

    View &m_view;
    ProfileSettings &m_settings;
    bool m_running = false;
};

}  // namespace kestrix
