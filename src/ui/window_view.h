#pragma once
// WindowView: the window as the screening logic sees it. It implements the View over the
// widgets of TForm1 (each Control found once by its glossary name) and the Prompter with
// message boxes and the two small dialogs, which it owns. Texts cross here as Latin-1.

#include "screening/prompter.h"
#include "screening/view.h"

#include <QPointer>

#include <array>
#include <memory>

class QObject;
class QWidget;

namespace kestrix {

class TForm1;
class TForm3;
class TForm5;

class WindowView : public View, public Prompter {
public:
    explicit WindowView(TForm1 &form);
    ~WindowView() override;
    WindowView(const WindowView &) = delete;
    WindowView &operator=(const WindowView &) = delete;

    // --- View ---------------------------------------------------------------------------
    void setText(Control control, const std::string &text) override;
    void setEnabled(Control control, bool enabled) override;
    void setVisible(Control control, bool visible) override;
    void setChecked(Control control, bool checked) override;
    void setMainButtonMode(MainButtonMode mode) override;
    void setStatus(const std::string &text) override;
    void setProgress(int maximum, int position) override;
    void setBusyCursor(bool busy) override;
    void showPage(Control page) override;
    void messageTableChanged() override;
    void messageTableGrew() override;
    void scrollMessageTable(int topRow, int currentRow) override;
    int messageTableClientHeight() const override;
    void setDetails(const std::vector<std::string> &lines) override;
    void showProtection(const ConnectionProtection &protection) override;
    void setNewMailSign(bool newMail) override;
    void beep() override;

    // --- Prompter -----------------------------------------------------------------------
    void message(Kind kind, const std::string &text) override;
    bool askYesNo(Kind kind, const std::string &text) override;
    bool askOkCancel(Kind kind, const std::string &text) override;
    std::optional<std::string> askText(const std::string &title, const std::string &prompt,
                                       const std::string &initial) override;
    std::optional<int> askDownloadCount(int maximum, int value) override;
    std::optional<std::string> askNewProfileName() override;

    // The dialogs behind askNewProfileName and askDownloadCount (windows of their own, so
    // their control names never shadow the main window's).
    TForm3 &form3() const { return *m_form3; }
    TForm5 &form5() const { return *m_form5; }
    // The control an id names (nullptr only for a glossary entry the window lacks).
    QObject *control(Control id) const;

private:
    void centre(QWidget &dialog) const;

    TForm1 &m_form;
    std::unique_ptr<TForm3> m_form3;
    std::unique_ptr<TForm5> m_form5;
    mutable std::array<QPointer<QObject>, kControlCount> m_controls;
};

}  // namespace kestrix
