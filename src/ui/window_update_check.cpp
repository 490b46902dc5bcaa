#include "ui/window_update_check.h"

#include "screening/screener.h"
#include "screening/view.h"
#include "ui/browser.h"
#include "ui/form1.h"
#include "ui/form2_update.h"
#include "ui/ui_widgets.h"
#include "ui/window_profiles.h"

#include <QCheckBox>
#include <QUrl>

namespace kestrix {

WindowUpdateCheck::WindowUpdateCheck(TForm1 &form, Screener &screener,
                                     const WindowProfiles &profiles)
    : m_form(form)
    , m_check(screener.view(), screener.profile.settings)
    , m_dialog(std::make_unique<TForm2>())
{
    m_check.caption = toBytes(form.windowTitle());
    m_check.readPage = [this](const std::string &url) { return fetchReleasePage(m_http, url); };
    m_check.showDialog = [this](UpdateDialogTexts &texts) { return m_dialog->ask(texts); };
    m_check.openUrl = [&form](const std::string &url) {
        if (!openInBrowser(QUrl(fromBytes(url))))
            form.statusArea->statustext->setText(
                QStringLiteral("No web browser could be started: the new version is at ")
                + fromBytes(url));
    };
    connect(&form, &TForm1::updateCheckRequested, this, [this] { m_check.manualCheck(); });
    // The box holds the setting; only a click (not a profile load) forgets the day.
    connect(form.configPage->CheckBox6, &QCheckBox::toggled, this, [&screener, &profiles](bool on) {
        if (!profiles.loading())
            screener.profile.settings.DailyUpdateCheck = on;
    });
    connect(form.configPage->CheckBox6, &QCheckBox::clicked, this,
            [this](bool on) { m_check.dailyCheckClicked(on); });
}

void WindowUpdateCheck::dailyCheck()
{
    m_check.caption = toBytes(m_form.windowTitle());
    m_check.dailyCheck();
}

WindowUpdateCheck::~WindowUpdateCheck() = default;

}  // namespace kestrix
