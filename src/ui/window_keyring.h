#pragma once
// "Remember password in the desktop keyring" on the account sub-page: per profile, kept as
// [password] keyring in NAME.conf. When on, the typed password is stored in the desktop keyring
// and filled in when the profile loads, so the automatic check works after a restart. Turning it
// off, or deleting the profile, removes the stored secret. Without a reachable keyring the box
// is disabled and its tip says why. A keyring that cannot give or keep the password says so
// once (a warning and the status line) and the password is asked for; it is never dropped.

#include <QObject>
#include <QString>

#include <string>

class QCheckBox;

namespace kestrix {

class Prompter;
class TForm1;
class WindowProfiles;

// Owned by the window's controller beside the WindowProfiles it reads, and gone before them.
class WindowKeyring : public QObject {
    Q_OBJECT
public:
    WindowKeyring(TForm1 &form, WindowProfiles &profiles, QString dataDir, Prompter &prompter);
    ~WindowKeyring() override;

    // After a profile was loaded: the box from NAME.conf, the password from the keyring.
    void profileLoaded();
    // At the start of every connection: the typed password is stored when the box is on and it
    // differs from the stored one.
    void rememberTyped(const std::string &typed);
    // The profile's files were deleted: its stored password goes too.
    void profileDeleted(const std::string &name);

    QCheckBox *box() const { return m_box; }

private:
    void toggled(bool on);
    bool setKeyringFlag(bool on);
    // The status line, and a warning the first time since the profile was loaded.
    void tellOnce(const std::string &text);

    TForm1 &m_form;
    Prompter &m_prompter;
    WindowProfiles &m_profiles;
    QString m_dataDir;
    QCheckBox *m_box = nullptr;
    bool m_reachable = false;
    std::string m_unreachableWhy;  // why not, when the keyring is not reachable
    bool m_failureTold = false;
    std::string m_stored;  // what the keyring holds for the current profile, as far as we know
};

}  // namespace kestrix
