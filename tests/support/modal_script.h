#pragma once
// The real modal dialogs a window test meets (the window's own message boxes and small dialogs,
// the update dialog, the reader's question), answered in the order the test declares them. Any
// other modal dialog fails the test with its text and is closed, so a surprise never hangs a
// test; a declared dialog never shown fails it when the script ends. Questions asked through the
// Prompter go to a ScriptedPrompter instead.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>

namespace kestrix::test {

class ModalScript {
public:
    using Answer = std::function<void(QWidget *dialog)>;

    ModalScript()
    {
        // A modal dialog runs its own event loop: it is looked for from there.
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answer(); });
        m_timer.start(10);
    }
    ~ModalScript()
    {
        if (!m_script.empty())
            fail(QStringLiteral("%1 declared dialog(s) never shown").arg(m_script.size()));
    }

    // The next modal dialog is handed to answer, which closes it (clicks, types).
    void expect(Answer answer) { m_script.push_back(std::move(answer)); }
    // The next modal dialog is a message box with this text, answered with button.
    void expectBox(const QString &text, QMessageBox::StandardButton button)
    {
        expect([text, button](QWidget *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            if (!box || box->text() != text || !box->button(button)) {
                fail(QStringLiteral("expected the box \"%1\", got \"%2\"")
                         .arg(text, textOf(dialog)));
                close(dialog);
                return;
            }
            box->button(button)->click();
        });
    }
    bool allShown() const { return m_script.empty(); }

private:
    void answer()
    {
        QWidget *dialog = QApplication::activeModalWidget();
        if (m_answering || !dialog || !dialog->isVisible())
            return;
        if (m_script.empty()) {
            fail(QStringLiteral("unexpected dialog \"%1\"").arg(textOf(dialog)));
            close(dialog);
            return;
        }
        const Answer next = std::move(m_script.front());
        m_script.pop_front();
        m_answering = true;  // an answer's clicks may run the event loop: no second look
        next(dialog);
        m_answering = false;
    }
    static QString textOf(QWidget *dialog)
    {
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            return box->text();
        return dialog->windowTitle();
    }
    static void close(QWidget *dialog)
    {
        if (auto *modal = qobject_cast<QDialog *>(dialog))
            modal->reject();
        else
            dialog->close();
    }
    static void fail(const QString &why) { QTest::qFail(qPrintable(why), __FILE__, __LINE__); }

    QTimer m_timer;
    std::deque<Answer> m_script;
    bool m_answering = false;
};

}  // namespace kestrix::test
