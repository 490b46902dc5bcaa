// The refresh tick (every 70 ms): the enabled states and the main button's caption are not set
// where things happen but recomputed here from the window's state.
#include "ui/form1.h"

#include "screening/screener.h"

#include "ui/grid_paint_rules.h"
#include "ui/ui_widgets.h"
#include "ui/wrap_grid.h"

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
    applyGridRules();

    CheckBox2->setEnabled(!m_busy);

    Button13->setEnabled(PageControl2->currentWidget() != TabSheet8);
    Button11->setEnabled(PageControl2->currentWidget() != TabSheet13);
    const int profile = selectedProfileIndex();
    SpeedButton12->setEnabled(profile > 0);
    // On the last profile "Next Profile" offers to create a new one, so it stays enabled.
    SpeedButton15->setEnabled(profile < ComboBox1->count());

    fitLastColumn();
    applyListPageRules();

    const bool accountFilled =
        !Edit1->text().isEmpty() && !Edit2->text().isEmpty() && !Edit3->text().isEmpty();
    const bool passwordFilled = !Edit4->text().isEmpty();
    const bool wasConfiguring = m_screener->mainButtonMode() == MainButtonMode::Configure;
    m_screener->followAccount(accountFilled);
    // Configuring with an account still missing leaves the button as it is.
    if (!wasConfiguring || accountFilled) {
        Button1->setEnabled(accountFilled ? passwordFilled : true);
        SpeedButton30->setEnabled(Button1->isEnabled());
    }

    Edit4->setEnabled(m_screener->mainButtonMode() != MainButtonMode::Configure);
    Label4->setEnabled(Edit4->isEnabled());
    setTextColour(Label4, passwordFilled ? QColor(Qt::black) : colours::navy);

    for (QToolButton *page : {SpeedButton4, SpeedButton17, SpeedButton18, SpeedButton19,
                              SpeedButton7})
        page->setEnabled(accountFilled);
}

}  // namespace kestrix
