#include "desktop/update_check.h"

#include "screening/view.h"
#include "text/version.h"
#include "transport/http_client.h"

#include <QDate>
#include <QLocale>

#include <cstdlib>
#include <exception>

#ifndef KESTRIX_RELEASE_PAGE_URL
#define KESTRIX_RELEASE_PAGE_URL "http://www.kestrix.example/pop3/release.txt"
#endif
#ifndef KESTRIX_DOWNLOAD_PAGE_URL
#define KESTRIX_DOWNLOAD_PAGE_URL "http://www.kestrix.example/pop3/download.html"
#endif

namespace kestrix {

std::vector<std::string> splitPageLines(const std::string &page)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < page.size()) {
        const std::size_t end = page.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(page.substr(start));
            break;
        }
        lines.push_back(page.substr(start, end - start));
        start = end + (page.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

std::string publishedVersion(std::string line2)
{
    if (const std::size_t close = line2.find('>'); close != std::string::npos && close > 0)
        line2.erase(0, close + 1);
    if (const std::size_t open = line2.find('<'); open != std::string::npos)
        line2.erase(open);
    return line2;
}

std::string readReleasePage(UpdateDialogTexts &texts, const std::string &page)
{
    texts.notes = splitPageLines(page);
    if (texts.notes.size() < 2)
        return {};
    const std::string version = publishedVersion(texts.notes[1]);
    texts.newVersion = "Kestrix " + version;
    texts.notes.erase(texts.notes.begin(),
                      texts.notes.begin() + std::min<std::size_t>(3, texts.notes.size()));
    return version;
}

std::string fetchReleasePage(TNMHTTP &http, const std::string &url)
{
    http.Get(url);
    const int code = http.ReplyCode();
    if (code < 200 || code > 299)
        throw Exception("The release page was not sent (reply " + std::to_string(code) + ")");
    return http.Body;
}

std::string shortDateToday()
{
    const QLocale locale = QLocale::system();
    return locale.toString(QDate::currentDate(), locale.dateFormat(QLocale::ShortFormat))
        .toLatin1()
        .toStdString();
}

std::string releasePageUrl()
{
    if (const char *fromEnvironment = std::getenv("KESTRIX_RELEASE_URL");
        fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    return KESTRIX_RELEASE_PAGE_URL;
}

std::string downloadPageUrl()
{
    return KESTRIX_DOWNLOAD_PAGE_URL;
}

std::string mainWindowCaption()
{
    return std::string("Kestrix for POP3 - Version ") + kVersionText;
}

UpdateCheck::UpdateCheck(View &view, ProfileSettings &settings)
    : m_view(view), m_settings(settings)
{
}

bool UpdateCheck::read(std::string &version)
{
    if (!readPage)
        return false;
    std::string page;
    try {
        page = readPage(releaseUrl);
    } catch (const std::exception &) {
        return false;
    }
    version = readReleasePage(texts, page);
    return true;
}

namespace {

class RunningFlag {
public:
    explicit RunningFlag(bool &flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag &) = delete;
    RunningFlag &operator=(const RunningFlag &) = delete;

private:
    bool &flag_;
};

}  // namespace

void UpdateCheck::manualCheck()
{
    if (m_running)
        return;
    RunningFlag running(m_running);
    m_view.setVisible(Control::StaticText2, false);
    std::string version;
    if (!read(version))
        texts.notes = {kNoNetworkText};
    texts.installedVersion = kVersionText;
    texts.dontCheck = !m_settings.DailyUpdateCheck;
    const bool yes = showDialog && showDialog(texts);
    if (yes && openUrl) {
        try {
            openUrl(downloadUrl);
        } catch (const std::exception &) {
        }
    }
    // Only turning it off goes back to the settings; clearing the box leaves them alone.
    if (texts.dontCheck && m_settings.DailyUpdateCheck) {
        m_settings.DailyUpdateCheck = false;
        m_view.setChecked(Control::CheckBox6, false);
        dailyCheckClicked(false);
    }
}

void UpdateCheck::dailyCheck()
{
    if (m_running)
        return;
    RunningFlag running(m_running);
    const std::string date = today ? today() : shortDateToday();
    if (date == m_settings.LastUpdateCheck)
        return;
    // Counted before the read, so a failed read is not repeated on the same day.
    m_settings.LastUpdateCheck = date;
    if (!m_settings.DailyUpdateCheck)
        return;
    std::string version;
    if (!read(version))
        return;
    texts.installedVersion = kVersionText;
    // A page without a line 2 names nothing that could be the installed version.
    if (version.empty() || caption.find(version) == std::string::npos) {
        m_view.setVisible(Control::StaticText2, true);
        m_view.beep();
    }
}

void UpdateCheck::dailyCheckClicked(bool checked)
{
    m_settings.DailyUpdateCheck = checked;
    if (checked)
        return;
    m_settings.LastUpdateCheck.clear();
    m_view.setVisible(Control::StaticText2, false);
}

}  // namespace kestrix
