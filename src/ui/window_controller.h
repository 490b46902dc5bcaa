#pragma once
// Puts the window together with what it drives: the POP3 client NMPOP31, the Screener that
// holds the run-time state, and the profiles. It connects the controls that hold settings to
// the Screener, the dispatcher's questions to the grid, and the profile commands to the
// profile code. main() and the window tests build the window through it.

#include "screening/screener.h"
#include "screening/window_side.h"
#include "transport/pop3_client.h"
#include "ui/window_profiles.h"
#include "ui/window_view.h"
#include "ui/window_update_check.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <string>

namespace kestrix {

class TForm1;
class TForm4;
class WindowDeletedMail;
class WindowKeyring;

// It is also the window's side of the screening (window_side.h): the grid, the pages, the
// reader and the desktop, as the dispatcher asks for them.
class WindowController : public QObject, private WindowSide {
    Q_OBJECT
public:
    // dataDir: the folder of every state file (dataFolder() in the program). The questions go
    // to the window's own message boxes unless another prompter is given (tests).
    WindowController(TForm1 &form, QString dataDir, Prompter *prompter = nullptr);
    ~WindowController() override;

    // Start-up: profile choice from the argument or "Kestrix.lpr", LoadProfile, start page.
    void start(const std::optional<std::string> &argument);
    // The local address for "Your IP is:": looked up once on a helper thread; the label is
    // filled when the answer arrives, the window never waits for it.
    void showLocalIp();

    Screener &screener() { return m_screener; }
    WindowView &view() { return m_view; }
    WindowProfiles &profiles() { return m_profiles; }
    TNMPOP3 &pop3() { return m_pop3; }
    WindowUpdateCheck &updateCheck() { return m_updateCheck; }
    TForm4 &form4() { return *m_form4; }  // the message reader
    WindowDeletedMail &deletedMail() { return *m_deletedMail; }

private:
    // WindowSide
    bool configurationPageShown() const override;
    std::optional<std::pair<int, int>> gridSelection() const override;
    std::optional<int> currentRow() const override;
    void showDetails(int row) override;
    void hideWindow() override;
    void startMailTool(const std::string &path, const std::string &params) override;
    void showReaderFolder(const std::string &folder) override;
    void fillReader(const TMailMessage &message) override;
    void showReader() override;
    void connectionStarting(const std::string &password) override;
    void securityModeShown(SecurityMode mode) override;
    bool countsNewMail() const override;
    void newMailFound(int count, int unknown) override;
    void deletionSettled() override;

    void connectSettingsControls();
    void connectProfileCommands();
    void connectDispatcher();
    void connectDispatcherButtons();
    void connectMessageReader();

    TForm1 &m_form;
    WindowView m_view;
    Screener m_screener;
    TNMPOP3 m_pop3;
    // After both: taken back first, so no event of the client reaches a Screener being torn down.
    Pop3Attachment m_pop3Events;
    WindowProfiles m_profiles;
    WindowUpdateCheck m_updateCheck{m_form, m_screener, m_profiles};
    // After the profiles it works on, so it goes before them; its check box belongs to the form.
    std::unique_ptr<WindowKeyring> m_keyring;
    TForm4 *m_form4 = nullptr;  // the message reader, owned by the window
    WindowDeletedMail *m_deletedMail = nullptr;  // owned by the window
};

}  // namespace kestrix
