#include "support/screener_fixture.h"

#include "text/header_decoding.h"

namespace kestrix::test {

ScreenerFixture::ScreenerFixture()
{
    s.profile.confFile = files.conf;
    s.attachmentsFolder = folder.path("Attachments").toStdString();
}

void ScreenerFixture::pointAt(int port)
{
    s.profile.settings.Host = "127.0.0.1";
    s.profile.settings.Port = std::to_string(port);
    s.profile.settings.UserId = "joe";
    s.profile.settings.CheckInterval = 5;
    s.session.password = "secret";
    s.profile.conf.setSecurityMode(SecurityMode::None);
    attached = s.attachPop3(pop);
}

void ScreenerFixture::pointAt(const std::string &host, int port, const std::string &user,
                              const std::string &password)
{
    s.profile.settings.Host = host;
    s.profile.settings.Port = std::to_string(port);
    s.profile.settings.UserId = user;
    s.session.password = password;
    attached = s.attachPop3(pop);
}

void ScreenerFixture::addMessage(int number, const std::string &sender, const std::string &subject,
                                 const std::string &code, int size, const std::string &contentType)
{
    const std::string c = code.empty() ? "code" + std::to_string(number) : code;
    s.messages.startCode = "0";
    DownloadedRow &row = s.messages.rows.emplace_back(DownloadedRow{number, sender, subject, c});
    row.headerLines = {"id:" + c, "Size: " + std::to_string(size) + " byte", "From: " + sender,
                       "Subject: " + subject};
    if (!contentType.empty())
        row.headerLines.push_back("Content-Type: " + contentType);
}

std::string ScreenerFixture::codeOf(const std::string &uid)
{
    return messageCode(uid + "\r\n");
}

}  // namespace kestrix::test
