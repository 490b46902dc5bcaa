#pragma once
// The window's side of the profiles: the start (Attachments folder, legacy files, profile list,
// start choice, LoadProfile into the Screener and the controls), switching, New and Delete,
// the passwords kept for the run, and at close SaveProfile plus the profile list.

#include "profiles/text_file.h"

#include <QString>

#include <functional>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrix {

class Prompter;
class Screener;
class TForm1;

class WindowProfiles {
public:
    WindowProfiles(TForm1 &form, Screener &screener, QString dataDir);
    ~WindowProfiles();  // the passwords typed in this run are overwritten

    // Program start: legacy files, the profile list, the start choice, LoadProfile.
    void start(const std::optional<std::string> &argument);
    // LoadProfile of the current profile into the Screener and the window.
    void load();
    // SaveProfile of the current profile; a failure is reported and the old files stay.
    bool save();
    // At close: SaveProfile, then the profile list.
    bool saveAll();

    // The profile box's selection made by the user (ComboBox1Change), the arrows of the top
    // bar (SpeedButton12, SpeedButton15), "New" (SpeedButton16) and "Delete" (SpeedButton14).
    void ComboBox1Change();
    void previousProfile();
    void nextProfile();
    void newProfile();
    void deleteProfile();

    // The profile's "[headers] decodeAll" (window_decode_all.cpp): the Screener's, as the profile
    // load handed it over, shown in the check box; written to NAME.conf when the user changes the
    // box; on for the profiles this version makes.
    void showDecodeAll();
    void decodeAllChanged(bool on);
    void turnOnDecodeAllForNewProfile(const std::string &name);

    // The typed password of the current profile, kept for this run only (PasswordMemory).
    void RememberPassword(const std::string &typed);
    void RestorePassword();

    const std::string &currentName() const { return m_current; }
    // Run after every profile load, and after a profile's files were deleted (its name).
    std::function<void()> afterLoad;
    std::function<void(const std::string &)> afterDelete;
    const QString &dataDir() const { return m_dataDir; }
    // True while a profile's settings are put into the controls (their change behaviours have
    // run at the settings lines already).
    bool loading() const { return m_loading; }

private:
    std::vector<std::string> profileNames() const;
    bool busy() const;
    FileResult saveSecurityChoice();
    Prompter &ask() const;  // the Screener's prompter: message boxes, or a test's answers
    // The item selected in the profile box, when the box's text is that item.
    std::optional<int> selectedItem() const;
    void resetMessageState();

    TForm1 &m_form;
    Screener &m_screener;
    QString m_dataDir;
    std::string m_current;
    std::vector<std::pair<std::string, std::string>> m_passwordMemory;  // name, password
    bool m_loading = false;
};

}  // namespace kestrix
