// The profile's "[headers] decodeAll" switch in the window: shown as every profile load hands it
// over, written to NAME.conf when the user changes the check box, and turned on for the profiles
// this version makes. Off (or absent) keeps the classification exactly as the bytes give it.
#include "ui/window_profiles.h"

#include "profiles/new_profile_conf.h"
#include "profiles/profile_conf.h"
#include "profiles/profile_store.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "ui/form1.h"

#include <QCheckBox>

namespace kestrix {

void WindowProfiles::showDecodeAll()
{
    const bool wasLoading = m_loading;
    m_loading = true;
    m_form.configPage->CheckBoxDecodeAll->setChecked(m_screener.profile.decodeAll);
    m_loading = wasLoading;
}

void WindowProfiles::turnOnDecodeAllForNewProfile(const std::string &name)
{
    const FileResult saved = writeNewProfileConf(m_dataDir, name);
    if (!saved)
        ask().message(Prompter::Kind::Error, saved.error);
}

void WindowProfiles::decodeAllChanged(bool on)
{
    if (m_loading)
        return;
    const QString path = profilePaths(m_dataDir, m_current).conf;
    ProfileConf conf = ProfileConf::load(path);
    conf.setDecodeAll(on);
    const FileResult saved = conf.save(path);
    if (!saved) {
        // The file keeps what it had; so do the switch and the classification.
        ask().message(Prompter::Kind::Error, saved.error);
        m_loading = true;
        m_form.configPage->CheckBoxDecodeAll->setChecked(m_screener.profile.decodeAll);
        m_loading = false;
        return;
    }
    // Takes effect at the next build of the message table.
    m_screener.profile.decodeAll = on;
}

}  // namespace kestrix
