#pragma once
// TForm4: the "Message Reader" window. It shows one message read whole (sender, subject, text),
// lists the files of the attachment folder, warns when a stored part has a type that can run
// code (names on maroon, three beeps), and deletes chosen files. Not modal; a window of the
// main window's, so it stays above it; created once and reused.

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace kestrix {

class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);

    // Points the file list at the folder (and refreshes it).
    void showFolder(const QString &folder);
    // Label4 := sender, Label5 := subject, Memo1 := the text lines decoded by charset (else
    // UTF-8 when valid, else Latin-1), then the file list. attachments: the names the split
    // stored the parts under, which the scan shows; never taken from the text, where a sender
    // can write anything.
    void fill(const std::string &from, const std::string &subject,
              const std::vector<std::string> &body, const std::string &charset = {},
              const std::vector<std::string> &attachments = {});
    void refreshFileList();
    // Shown and brought to the front; the attachment scan runs on every show.
    void showReader();
    QString folder() const { return m_folder; }

    // Seam: the system beep.
    std::function<void()> beep;

    QWidget *Panel1;           // top: sender, subject, attached names, close
    QLabel *Label4;            // the sender
    QLabel *Label5;            // the subject
    QLabel *Label6;            // the attached names (green; maroon when dangerous)
    QPushButton *BitBtn1;      // close
    QSplitter *Splitter1;      // top panel / rest
    QSplitter *Splitter2;      // file list / text
    QPushButton *Button1;      // "Delete"
    QListWidget *FileListBox1; // the files of the folder
    QPlainTextEdit *Memo1;     // the message text, read-only

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void scanAttachments();
    void Button1Click();
    void setNamesColour(bool dangerous);

    QString m_folder;
    std::vector<std::string> m_attachments;  // of the message shown
};

}  // namespace kestrix
