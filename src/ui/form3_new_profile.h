#pragma once
// TForm3: the "New Profile" dialog that asks for the name of a new profile. Created once and
// reused; its edit field keeps the last name typed.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kestrix {

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    QLineEdit *Edit1;
    QPushButton *BitBtn1;  // Cancel
    QPushButton *BitBtn2;  // OK

protected:
    void showEvent(QShowEvent *event) override;
};

}  // namespace kestrix
