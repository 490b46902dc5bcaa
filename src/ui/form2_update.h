#pragma once
// TForm2: the "Check for Updates" dialog. It shows the installed and the published version with
// the release notes and asks whether to open the web browser on the download page; its check
// box turns the daily check off. Created once with the window and reused.

#include "desktop/update_check.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kestrix {

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    // Shows texts and asks modally; true for Yes (closing the window otherwise is No).
    // texts.dontCheck takes the check box's state.
    bool ask(UpdateDialogTexts &texts);
    // Puts texts into the controls without showing the dialog.
    void showTexts(const UpdateDialogTexts &texts);

    QLabel *Label4;          // "Installed Version"
    QLabel *Label5;          // the installed version
    QLabel *Label3;          // "What's new ?"
    QLabel *Label2;          // the published version
    QPlainTextEdit *Memo1;   // the release notes
    QLabel *Label1;          // "Open Web-Browser for Update ?"
    QPushButton *BitBtn2;    // Yes
    QPushButton *BitBtn1;    // No
    QCheckBox *CheckBox1;    // "Don't automatically check for updates  !"
};

}  // namespace kestrix
