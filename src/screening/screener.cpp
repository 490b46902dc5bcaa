#include "screening/screener.h"

#include "screening/view.h"

namespace kestrix {

Screener::Screener(View &view, Prompter &prompter)
    : lists(profile, view, prompter)
    , m_view(view)
    , m_prompter(prompter)
{
}

Screener::~Screener() { session.forgetPassword(); }

std::string Screener::takeProfile(Profile loaded, ProfileConf loadedConf, QString loadedConfFile,
                                  const QString &dataDir)
{
    // The password belonged to the profile that is left.
    session.forgetPassword();
    return profile.take(std::move(loaded), std::move(loadedConf), std::move(loadedConfFile),
                        dataDir);
}

void Screener::setAllowDeleteAccepted(bool checked)
{
    grid.allowDeleteAccepted = checked;
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

void Screener::updateSelectionInfo(int top, int bottom)
{
    grid.selTop = top;
    grid.selBottom = bottom;
    // An empty table has no selection to count, whatever the grid's cursor says.
    m_view.setText(Control::Label6, !messages.hasMessages() ? std::string()
                                    : top == bottom ? std::to_string(top)
                                                    : std::to_string(top) + "-" + std::to_string(bottom));
    m_view.setEnabled(Control::SpeedButton24, messages.hasMessages() && top == bottom);
}

}  // namespace kestrix
