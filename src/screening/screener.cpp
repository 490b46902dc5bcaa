#include "screening/screener.h"

#include "screening/view.h"
#include "text/secret_text.h"
#include "transport/pop3_client.h"

namespace kestrix {

Screener::Screener(View &view, Prompter &prompter)
    : m_view(view)
    , m_prompter(prompter)
{
}

Screener::~Screener() { forgetPassword(); }

void Screener::forgetPassword()
{
    wipeSecret(password);
    if (NMPOP31)
        wipeSecret(NMPOP31->Password);
    forgetAccessToken();
}

std::vector<std::string> Screener::ListBox1() const
{
    std::vector<std::string> texts;
    texts.reserve(rows.size());
    for (const DownloadedRow &row : rows)
        texts.push_back(std::to_string(row.number));
    return texts;
}

std::vector<std::string> Screener::column(std::string DownloadedRow::*field) const
{
    std::vector<std::string> texts;
    texts.reserve(rows.size());
    for (const DownloadedRow &row : rows)
        texts.push_back(row.*field);
    return texts;
}

std::string Screener::takeProfile(Profile loaded, ProfileConf loadedConf, QString loadedConfFile,
                                  const QString &dataDir)
{
    // The password belonged to the profile that is left.
    forgetPassword();
    return profile.take(std::move(loaded), std::move(loadedConf), std::move(loadedConfFile), dataDir);
}

void Screener::clearTrustedLists()
{
    trustedNumbers.clear();
    trustedSenders.clear();
    trustedSubjects.clear();
    trustedSizes.clear();
}

void Screener::setAllowDeleteAccepted(bool checked)
{
    allowDeleteAccepted = checked;
    m_view.setChecked(Control::CheckBox1, checked);
}

void Screener::setMainButtonMode(MainButtonMode mode)
{
    m_mainButtonMode = mode;
    m_view.setMainButtonMode(mode);
}

void Screener::followAccount(bool accountFilled)
{
    if (m_mainButtonMode == MainButtonMode::Configure && accountFilled)
        setMainButtonMode(MainButtonMode::GetNew);
    else if (m_mainButtonMode != MainButtonMode::Configure && !accountFilled)
        setMainButtonMode(MainButtonMode::Configure);
}

void Screener::PollerTimer()
{
    if (pendingCommand == cmdIdle)
        pendingCommand = cmdCheckNewMail;
}

int Screener::nextUnknownRow(int current, int lastRow) const
{
    if (current >= lastRow)
        return -1;
    int row = current + 1;
    while (row < lastRow && messageTable.isTrusted(row))
        ++row;
    return row;
}

int Screener::previousUnknownRow(int current) const
{
    if (current <= 1)
        return -1;
    int row = current - 1;
    while (row > 1 && messageTable.isTrusted(row))
        --row;
    return row;
}

}  // namespace kestrix
