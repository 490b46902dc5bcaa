#pragma once
// TForm5: the "Download Control" dialog that asks how many of the newest messages a large
// header download fetches. Enter in the number field answers "&Yes".

#include <QDialog>

#include <optional>

class QPushButton;
class QSpinBox;

namespace kestrix {

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);

    // Fills the number field (minimum 0) and asks; the chosen count, nothing for "&Cancel".
    std::optional<int> ask(int maximum, int value);

    QSpinBox *SpinEdit1;
    QPushButton *BitBtn1;  // "&Yes"
    QPushButton *BitBtn2;  // "&Cancel"

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

}  // namespace kestrix
