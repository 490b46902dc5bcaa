// The configuration page (this): six sub-pages with tabs at the bottom and the
// "&Previous"/"&Next" buttons under them.
#include "ui/config_page.h"

#include "desktop/update_check.h"
#include "screening/diagnostic_mode.h"

#include "ui/port_validator.h"
#include "ui/ui_widgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kestrix {

namespace {

QLabel *heading(const char *text, QWidget *parent, int sizeStep)
{
    auto *label = new QLabel(L1(text), parent);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSize(font.pointSize() + sizeStep);
    label->setFont(font);
    return label;
}

// A sub-page: the common heading, its own heading, then the content.
QVBoxLayout *subPage(QWidget *page, const char *title)
{
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(18, 10, 18, 10);
    column->setSpacing(8);
    QLabel *common = heading("Account Configuration", page, 4);
    setTextColour(common, QColor(0, 0, 128));
    column->addWidget(common);
    if (title)
        column->addWidget(heading(title, page, 1));
    return column;
}

}  // namespace

ConfigPage::ConfigPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(L1("TabSheet5"));
    build();
    connectControls();
}

void ConfigPage::build()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    PageControl2 = named(new QTabWidget(this), "PageControl2");
    PageControl2->setTabPosition(QTabWidget::South);
    PageControl2->setDocumentMode(true);
    outer->addWidget(PageControl2, 1);

    Panel7 = named(new QFrame(this), "Panel7");
    auto *buttons = new QHBoxLayout(Panel7);
    buttons->setContentsMargins(8, 4, 8, 4);
    Button13 = named(new QPushButton(L1("&Previous"), Panel7), "Button13",
                     "Previous Configuration Page");
    Button11 = named(new QPushButton(L1("&Next"), Panel7), "Button11",
                     "Next Configuration Page");
    buttons->addStretch(1);
    buttons->addWidget(Button13);
    buttons->addWidget(Button11);
    buttons->addStretch(1);
    outer->addWidget(Panel7);

    buildAccountsPage();
    buildDownloadPage();
    buildMailClientPage();
    buildTrayPage();
    buildLogPage();
    buildUpdatePage();
}

QWidget *ConfigPage::addSubPage(const char *name, const char *caption)
{
    auto *page = named(new QWidget(PageControl2), name);
    PageControl2->addTab(page, L1(caption));
    return page;
}

// 1: accounts
void ConfigPage::buildAccountsPage()
{
    TabSheet8 = addSubPage("TabSheet8", "&Accounts");
    QVBoxLayout *column = subPage(TabSheet8, nullptr);
    auto *profiles = new QGroupBox(L1("Current Profile"), TabSheet8);
    auto *row = new QHBoxLayout(profiles);
    ComboBox1 = named(new QComboBox(profiles), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->addItem(L1("default"));
    ComboBox1->setMinimumWidth(160);
    SpeedButton16 = makeSpeedButton("SpeedButton16", "New", "Create a new profile", profiles);
    SpeedButton14 = makeSpeedButton("SpeedButton14", "Delete", "Delete an existing profile",
                                    profiles);
    // Beside the profile box they are buttons, not flat captions.
    SpeedButton16->setAutoRaise(false);
    SpeedButton14->setAutoRaise(false);
    row->addWidget(new QLabel(L1("Profiles"), profiles));
    row->addWidget(ComboBox1, 1);
    row->addWidget(SpeedButton16);
    row->addWidget(SpeedButton14);
    column->addWidget(profiles);

    auto *account = new QGroupBox(TabSheet8);
    auto *form = new QFormLayout(account);
    Edit1 = named(new QLineEdit(account), "Edit1");
    Edit2 = named(new QLineEdit(L1("110"), account), "Edit2");
    Edit2->setMaximumWidth(80);
    Edit3 = named(new QLineEdit(account), "Edit3");
    ComboBoxSecurity = named(new QComboBox(account), "ComboBoxSecurity");
    for (const char *choice : {"Automatic", "TLS", "STARTTLS required", "None"})
        ComboBoxSecurity->addItem(L1(choice));
    ComboBoxSecurity->setToolTip(
        L1("Automatic: TLS on port 995, elsewhere STARTTLS when the server offers it"));
    form->addRow(L1("Pop3 Host"), Edit1);
    form->addRow(L1("Port"), Edit2);
    form->addRow(L1("Security"), ComboBoxSecurity);
    form->addRow(L1("User ID"), Edit3);
    // A provider that takes no password over POP3 takes an OAuth 2.0 access token that a
    // command of the user's prints (window_sign_in.h).
    ComboBoxSignIn = named(new QComboBox(account), "ComboBoxSignIn");
    for (const char *choice : {"Password", "OAuth 2.0 token command"})
        ComboBoxSignIn->addItem(L1(choice));
    EditTokenCommand = named(new QLineEdit(account), "EditTokenCommand");
    EditTokenCommand->setPlaceholderText(
        L1("python3 /usr/share/doc/mutt/examples/mutt_oauth2.py ~/.mail-token"));
    EditTokenCommand->setToolTip(L1("A command that prints a current access token on its "
                                    "first line (no shell: quote words with blanks)"));
    form->addRow(L1("Sign in with"), ComboBoxSignIn);
    form->addRow(L1("Token command"), EditTokenCommand);
    column->addWidget(account);
    column->addStretch(1);
}

// 2: download of headers
void ConfigPage::buildDownloadPage()
{
    TabSheet9 = addSubPage("TabSheet9", "&Download of Mail Headers");
    QVBoxLayout *column = subPage(TabSheet9, "Configuration of Download of Headers");
    auto *grid = new QGridLayout;
    SpinEdit1 = named(new QSpinBox(TabSheet9), "SpinEdit1");
    SpinEdit1->setRange(1, 10000);
    SpinEdit1->setValue(20);
    SpinEdit2 = named(new QSpinBox(TabSheet9), "SpinEdit2");
    SpinEdit2->setRange(0, 60);
    SpinEdit2->setValue(2);
    grid->addWidget(new QLabel(L1("Notify, if number of downlodable messages exceeds:"),
                               TabSheet9), 0, 0);
    grid->addWidget(SpinEdit1, 0, 1);
    grid->addWidget(new QLabel(L1("Check for e-mail every "), TabSheet9), 1, 0);
    grid->addWidget(SpinEdit2, 1, 1);
    grid->addWidget(new QLabel(L1("minutes (0 : no auto checking)"), TabSheet9), 1, 2);
    grid->setColumnStretch(3, 1);
    column->addLayout(grid);
    CheckBox9 = named(new QCheckBox(L1("Accept only text mails (plain/ html)"), TabSheet9),
                      "CheckBox9");
    CheckBox5 = named(new QCheckBox(L1("Automatic test for suspicuous mails"), TabSheet9),
                      "CheckBox5");
    CheckBox7 = named(new QCheckBox(L1("Check for suspicous mails after header download"),
                                    TabSheet9), "CheckBox7");
    CheckBox7->setChecked(true);
    for (QCheckBox *hidden : {CheckBox9, CheckBox5, CheckBox7}) {
        column->addWidget(hidden);
        hidden->hide();
    }
    CheckBoxDecodeAll = named(
        new QCheckBox(L1("Read encoded and UTF-8 headers for the blacklist too"), TabSheet9),
        "CheckBoxDecodeAll",
        "Blacklist words are also looked for in senders and subjects as they are shown "
        "(base64 and other charsets decoded, letter case ignored in every script)");
    column->addWidget(CheckBoxDecodeAll);
    column->addStretch(1);
}

// 3: e-mail client
void ConfigPage::buildMailClientPage()
{
    TabSheet10 = addSubPage("TabSheet10", "&E-Mail Client");
    QVBoxLayout *column = subPage(TabSheet10, "E-Mail Client");
    column->addWidget(new QLabel(
        L1("E-MAIL tool, e. g. /usr/bin/thunderbird"),
        TabSheet10));
    auto *pathRow = new QHBoxLayout;
    Edit5 = named(new QLineEdit(TabSheet10), "Edit5");
    SpeedButton5 = makeSpeedButton("SpeedButton5", "...", "File Search", TabSheet10);
    pathRow->addWidget(Edit5, 1);
    pathRow->addWidget(SpeedButton5);
    column->addLayout(pathRow);
    column->addWidget(new QLabel(L1("E-Mail tool calling parameter, e. g. -mail"),
                                 TabSheet10));
    Edit6 = named(new QLineEdit(TabSheet10), "Edit6");
    column->addWidget(Edit6);
    auto *buttonRow = new QHBoxLayout;
    SpeedButton22 = makeSpeedButton("SpeedButton22", "Set to Default Mail Tool", "Search",
                                    TabSheet10);
    SpeedButton23 = makeSpeedButton("SpeedButton23", "Test Mail Tool Settings", "Search",
                                    TabSheet10);
    SpeedButton22->setAutoRaise(false);
    SpeedButton23->setAutoRaise(false);
    buttonRow->addWidget(SpeedButton22);
    buttonRow->addWidget(SpeedButton23);
    buttonRow->addStretch(1);
    column->addLayout(buttonRow);
    CheckBox3 = named(new QCheckBox(L1("Hide Kestrix for POP3, when starting of your mail tool"),
                                    TabSheet10), "CheckBox3");
    column->addWidget(CheckBox3);
    column->addStretch(1);
}

// 4: tray icon
void ConfigPage::buildTrayPage()
{
    TabSheet11 = addSubPage("TabSheet11", "Task Bar Icon");
    QVBoxLayout *column = subPage(TabSheet11, "Taskbar Icon  Configuration");
    RadioGroup1 = named(new QGroupBox(TabSheet11), "RadioGroup1");
    RadioGroup1Items = new QButtonGroup(RadioGroup1);
    auto *items = new QVBoxLayout(RadioGroup1);
    int id = 0;
    for (const char *caption : {"Show only Program", "Show Program and Get Message Headers"}) {
        auto *item = new QRadioButton(L1(caption), RadioGroup1);
        RadioGroup1Items->addButton(item, id++);
        items->addWidget(item);
    }
    RadioGroup1Items->button(1)->setChecked(true);
    column->addWidget(RadioGroup1);
    column->addStretch(1);
}

// 5: log file
void ConfigPage::buildLogPage()
{
    TabSheet12 = addSubPage("TabSheet12", "Logfile");
    QVBoxLayout *column = subPage(TabSheet12, "Log File");
    CheckBox4 = named(new QCheckBox(L1("Log file on rejected mails \"PROFILENAME\".log"),
                                    TabSheet12), "CheckBox4");
    CheckBox4->setChecked(true);
    column->addWidget(CheckBox4);
    auto *note = new QLabel(L1("if not checked: multiple rejected e-mails from the same  "
                               "sender or with the same subject (known bad) will not be  "
                               "detected "), TabSheet12);
    note->setWordWrap(true);
    column->addWidget(note);
    button16 = named(new QPushButton(L1("Reset count of deleted spam &mails"), TabSheet12),
                     "button16");
    column->addWidget(button16, 0, Qt::AlignLeft);
    column->addStretch(1);
}

// 6: update check
void ConfigPage::buildUpdatePage()
{
    TabSheet13 = addSubPage("TabSheet13", "Auto Check for Updates");
    QVBoxLayout *column = subPage(TabSheet13, "Auto Check for Updates");
    CheckBox6 = named(new QCheckBox(L1("Daily check for updates through internet, once a day "
                                       "when Get Headers"), TabSheet13), "CheckBox6");
    column->addWidget(CheckBox6);
    column->addWidget(named(new QLabel(fromBytes(releasePageUrl()), TabSheet13), "ReleasePageLabel"));
    SpeedButton11 = makeSpeedButton("SpeedButton11", "Reset to first Message in Mailbox",
                                    nullptr, TabSheet13);
    SpeedButton11->hide();
    column->addWidget(SpeedButton11, 0, Qt::AlignLeft);
    column->addStretch(1);
}

void ConfigPage::connectControls()
{
    connect(Button13, &QPushButton::clicked, this, &ConfigPage::configPrevious);
    connect(Button11, &QPushButton::clicked, this, &ConfigPage::configNext);
    connect(Edit1, &QLineEdit::textChanged, this, &ConfigPage::accountChanged);
    connect(Edit3, &QLineEdit::textChanged, this, [this] {
        emit accountChanged();
        emit diagnosticModeChanged(diagnosticMode());
    });
    Edit2->setValidator(new PortValidator(Edit2));
    Edit2->installEventFilter(this);
    connect(Edit2, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (PortValidator::usable(text))
            m_acceptedPort = text;
    });
    connect(button16, &QPushButton::clicked, this, &ConfigPage::deletedCountResetRequested);
    connectMailTool();
}

void ConfigPage::showAccounts() { PageControl2->setCurrentWidget(TabSheet8); }

void ConfigPage::configPrevious()
{
    const int index = PageControl2->currentIndex();
    if (index > 0)
        PageControl2->setCurrentIndex(index - 1);
}

void ConfigPage::configNext()
{
    const int index = PageControl2->currentIndex();
    if (index < PageControl2->count() - 1)
        PageControl2->setCurrentIndex(index + 1);
}

QString ConfigPage::accountText() const { return Edit3->text() + QLatin1Char('@') + Edit1->text(); }

bool ConfigPage::accountFilled() const
{
    return !Edit1->text().isEmpty() && !Edit2->text().isEmpty() && !Edit3->text().isEmpty();
}

bool ConfigPage::diagnosticMode() const { return isDiagnosticUser(toBytes(Edit3->text())); }

void ConfigPage::showSettings(const ProfileSettings &s)
{
    Edit1->setText(fromBytes(s.Host));
    Edit2->setText(fromBytes(s.Port));
    m_acceptedPort = Edit2->text();
    Edit3->setText(fromBytes(s.UserId));
    SpinEdit1->setValue(s.NotifyLimit);
    Edit5->setText(fromBytes(s.MailToolPath));
    CheckBox3->setChecked(s.HideOnMailTool);
    Edit6->setText(fromBytes(s.MailToolParams));
    updateMailToolButtons();
    if (QAbstractButton *item = RadioGroup1Items->button(s.TrayAction == 0 ? 0 : 1))
        item->setChecked(true);
    SpinEdit2->setValue(s.CheckInterval);
    CheckBox4->setChecked(s.LogRejected);
    CheckBox7->setChecked(s.CheckAfterDownload);
    CheckBox6->setChecked(s.DailyUpdateCheck);
}

void ConfigPage::collectSettings(ProfileSettings &s) const
{
    s.Host = toBytes(Edit1->text());
    s.Port = toBytes(Edit2->text());
    s.UserId = toBytes(Edit3->text());
    s.NotifyLimit = SpinEdit1->value();
    s.MailToolPath = toBytes(Edit5->text());
    s.HideOnMailTool = CheckBox3->isChecked();
    s.MailToolParams = toBytes(Edit6->text());
    s.TrayAction = RadioGroup1Items->checkedId() == 0 ? 0 : 1;
    s.CheckInterval = SpinEdit2->value();
    s.LogRejected = CheckBox4->isChecked();
    s.CheckAfterDownload = CheckBox7->isChecked();
    s.DailyUpdateCheck = CheckBox6->isChecked();
}

bool ConfigPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit2 && event->type() == QEvent::FocusOut)
        portLeft();
    return QWidget::eventFilter(watched, event);
}

// The validator refuses keystrokes that cannot make a port; what it lets stand while typing
// ("0") is put back to the last usable port when the field is left, with one message.
void ConfigPage::portLeft()
{
    if (m_refusingPort || Edit2->text().isEmpty() || PortValidator::usable(Edit2->text()))
        return;
    m_refusingPort = true;
    Edit2->setText(m_acceptedPort);
    emit portRefused("The port must be a number from 1 to 65535 !");
    m_refusingPort = false;
}

}  // namespace kestrix
