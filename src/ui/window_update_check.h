#pragma once
// The update check in the window: the HTTP client NMHTTP1, the dialog TForm2 and the check
// logic, wired to "Updates", a click on the notice, the daily-check box (CheckBox6) and the
// connect step of every server command. The download page opens in the web browser.

#include "desktop/update_check.h"
#include "transport/http_client.h"

#include <QObject>

#include <memory>

namespace kestrix {

class Screener;
class TForm1;
class TForm2;
class WindowProfiles;

class WindowUpdateCheck : public QObject {
    Q_OBJECT
public:
    WindowUpdateCheck(TForm1 &form, Screener &screener, const WindowProfiles &profiles);
    ~WindowUpdateCheck() override;

    UpdateCheck &check() { return m_check; }
    // Once a day, when the profile asks for it (run as a connection starts).
    void dailyCheck();
    TNMHTTP &http() { return m_http; }
    TForm2 &dialog() { return *m_dialog; }

private:
    TForm1 &m_form;
    TNMHTTP m_http;  // NMHTTP1
    UpdateCheck m_check;
    std::unique_ptr<TForm2> m_dialog;  // Form2, created once and reused
};

}  // namespace kestrix
