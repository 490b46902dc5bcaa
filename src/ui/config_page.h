#pragma once
// The configuration page (TabSheet5): six sub-pages with tabs at the bottom and the
// "&Previous"/"&Next" buttons under them. It keeps the port field and its setting in step and
// tells the window what the other pages show of it (the account, the mail program).

#include "profiles/profile_settings.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace kestrix {

class ConfigPage : public QWidget {
    Q_OBJECT
public:
    explicit ConfigPage(QWidget *parent);

    void configPrevious();
    void configNext();
    void showAccounts();  // the accounts sub-page
    // The settings the page's controls hold (the window adds its place, size and split).
    void showSettings(const ProfileSettings &settings);
    void collectSettings(ProfileSettings &settings) const;
    // "user@server" of the account fields.
    QString accountText() const;
    // The account fields are all filled in.
    bool accountFilled() const;
    // The user id is the diagnostic one.
    bool diagnosticMode() const;

    // The "&E-Mail Client" sub-page; "Mail Tool" follows whether Edit5 names an executable.
    void updateMailToolButtons();
    void SpeedButton5Click();   // "..."
    void SpeedButton22Click();  // "Set to Default Mail Tool"
    void SpeedButton23Click();  // "Test Mail Tool Settings"

    QTabWidget *PageControl2 = nullptr;
    QWidget *TabSheet8 = nullptr, *TabSheet9 = nullptr, *TabSheet10 = nullptr,
            *TabSheet11 = nullptr, *TabSheet12 = nullptr, *TabSheet13 = nullptr;
    QFrame *Panel7 = nullptr;
    QPushButton *Button13 = nullptr, *Button11 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    // "Security" on the account sub-page: Automatic / TLS / STARTTLS required / None, in the
    // order of SecurityMode; kept in NAME.conf.
    QComboBox *ComboBoxSecurity = nullptr;
    // "Sign in with": Password / OAuth 2.0 token command, and the command ("[auth]" in NAME.conf).
    QComboBox *ComboBoxSignIn = nullptr;
    QLineEdit *EditTokenCommand = nullptr;
    QToolButton *SpeedButton16 = nullptr, *SpeedButton14 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit5 = nullptr,
              *Edit6 = nullptr;
    QSpinBox *SpinEdit1 = nullptr, *SpinEdit2 = nullptr;
    QCheckBox *CheckBox9 = nullptr, *CheckBox5 = nullptr, *CheckBox7 = nullptr,
              *CheckBox3 = nullptr, *CheckBox4 = nullptr, *CheckBox6 = nullptr;
    QCheckBox *CheckBoxDecodeAll = nullptr;  // the profile's "[headers] decodeAll"
    QToolButton *SpeedButton5 = nullptr, *SpeedButton22 = nullptr, *SpeedButton23 = nullptr,
                *SpeedButton11 = nullptr;
    QGroupBox *RadioGroup1 = nullptr;
    QButtonGroup *RadioGroup1Items = nullptr;
    QPushButton *button16 = nullptr;

signals:
    void accountChanged();                      // host or user id edited
    void diagnosticModeChanged(bool on);        // the user id became or stopped being diagnostic
    void mailToolChanged(bool present);         // whether Edit5 names an executable
    void statusText(const QString &text);       // a failure for the status line
    void portRefused(const std::string &text);  // a bad port was put back on leaving the field
    void deletedCountResetRequested();          // button16

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    // The six sub-pages, in their tab order.
    QWidget *addSubPage(const char *name, const char *caption);
    void buildAccountsPage();
    void buildDownloadPage();
    void buildMailClientPage();
    void buildTrayPage();
    void buildLogPage();
    void buildUpdatePage();
    void connectControls();
    void portLeft();
    void connectMailTool();

    QString m_acceptedPort = QStringLiteral("110");
    bool m_refusingPort = false;
};

}  // namespace kestrix
