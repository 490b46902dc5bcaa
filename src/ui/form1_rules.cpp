// The refresh tick (every 70 ms): the enabled states and the main button's caption are not set
// where things happen but recomputed here from the window's state.
#include "ui/form1.h"

#include "screening/screener.h"

#include "ui/config_page.h"
#include "ui/grid_paint_rules.h"
#include "ui/messages_page.h"
#include "ui/status_bar.h"
#include "ui/top_bar.h"
#include "ui/ui_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

namespace kestrix {

void TForm1::refreshTick()
{
    messagesPage->applyGridRules();

    statusArea->CheckBox2->setEnabled(!m_busy);

    ConfigPage &config = *configPage;
    config.Button13->setEnabled(config.PageControl2->currentWidget() != config.TabSheet8);
    config.Button11->setEnabled(config.PageControl2->currentWidget() != config.TabSheet13);
    const int profile = config.ComboBox1->currentIndex();
    topBar->SpeedButton12->setEnabled(profile > 0);
    // On the last profile "Next Profile" offers to create a new one, so it stays enabled.
    topBar->SpeedButton15->setEnabled(profile < config.ComboBox1->count());

    applyListPageRules();

    const bool accountFilled = config.accountFilled();
    // A profile that signs in with a token from its command needs no password.
    const bool withToken = m_screener->signsInWithToken();
    const bool passwordFilled = withToken || !topBar->Edit4->text().isEmpty();
    const bool wasConfiguring = m_screener->mainButtonMode() == MainButtonMode::Configure;
    m_screener->followAccount(accountFilled);
    // Configuring with an account still missing leaves the buttons as they are.
    if (!wasConfiguring || accountFilled) {
        const bool mayStart = accountFilled ? passwordFilled : true;
        topBar->Button1->setEnabled(mayStart);
        topBar->SpeedButton30->setEnabled(mayStart);
    }

    // The password is typed once there is an account to use it with.
    const bool passwordWanted =
        !withToken && m_screener->mainButtonMode() != MainButtonMode::Configure;
    topBar->Edit4->setEnabled(passwordWanted);
    topBar->Label4->setEnabled(passwordWanted);
    setTextColour(topBar->Label4, passwordFilled ? QColor(Qt::black) : colours::navy);

    for (QToolButton *page : {topBar->SpeedButton4, topBar->SpeedButton17, topBar->SpeedButton18,
                              topBar->SpeedButton19, topBar->SpeedButton7})
        page->setEnabled(accountFilled);
}

}  // namespace kestrix
