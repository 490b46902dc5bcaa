#pragma once
// The window's side of the profiles at start and at close: choose the start profile, load it
// into the Screener and the controls, and at close save it and the profile list. Switching,
// creating and deleting profiles come with the profile commands.

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace kestrix {

class Screener;
class TForm1;

class WindowProfiles {
public:
    WindowProfiles(TForm1 &form, Screener &screener, QString dataDir);

    // Program start: legacy files, the profile list, the start choice, LoadProfile.
    void start(const std::optional<std::string> &argument);
    // LoadProfile of the current profile into the Screener and the window.
    void load();
    // SaveProfile of the current profile; a failure is reported and the old files stay.
    bool save();
    // At close: SaveProfile, then the profile list.
    bool saveAll();

    const std::string &currentName() const { return m_current; }

private:
    std::vector<std::string> profileNames() const;

    TForm1 &m_form;
    Screener &m_screener;
    QString m_dataDir;
    std::string m_current;
};

}  // namespace kestrix
