#include "ui/control_glossary.h"

#include <array>

namespace kestrix {

namespace {

// In the order of the enum, so an id is its own index.
constexpr std::array<ControlEntry, kControlCount> kGlossary{{
    {Control::SpeedButton2, "SpeedButton2", "\"Empty Server\": deletes every message"},
    {Control::SpeedButton6, "SpeedButton6", "starts the mail program"},
    {Control::shape1, "shape1", "connection indicator, shown while a session is open"},
    {Control::Label8, "Label8", "messages page: how many the download fetched (\"3 of 9\")"},
    {Control::StaticText1, "StaticText1", "\"No Text ?\": the current message seems to carry no text"},
    {Control::CheckBox1, "CheckBox1", "\"Allow delete of accepted\""},
    {Control::StaticText2, "StaticText2", "status bar: the notice that a new version is out"},
    {Control::ProtectionIndicator, "ProtectionIndicator",
     "status bar: the lock and protocol of the last connection, or \"Not encrypted\""},
    {Control::Panel1, "Panel1", "the grid's command bar (selection and deletion buttons)"},
    {Control::Panel3, "Panel3", "banner: the table holds unknown or bad mail"},
    {Control::Panel12, "Panel12", "banner: every message is from a trusted address"},
    {Control::Panel14, "Panel14", "the message list's panel (grid and its command bar)"},
    {Control::Shape2, "Shape2", "the current row's class shape, its caption in Label52"},
    {Control::Label6, "Label6", "the selected rows (\"3\" or \"2-5\")"},
    {Control::Label24, "Label24", "the count of messages from trusted addresses"},
    {Control::Label52, "Label52", "the caption of the current row's class shape"},
    {Control::Label53, "Label53", "the mail count the last new-mail check found"},
    {Control::button7, "button7", "\"Add to whitelist\" for the selected rows"},
    {Control::button10, "button10", "\"Delete selected unknown\" / \"Delete selected mail\""},
    {Control::Button66, "Button66", "\"Select all unknown\""},
    {Control::SpeedButton24, "SpeedButton24", "\"&M\": read the selected message"},
    {Control::SpeedButton27, "SpeedButton27", "\"Select known bad or blacklisted\""},
    {Control::SpeedButton31, "SpeedButton31", "\"Remove from whitelist\" for the selected rows"},
    {Control::Deleteselectedmails1, "Deleteselectedmails1", "grid menu: delete selected mails"},
    {Control::stringgrid1, "stringgrid1", "the message grid"},
    {Control::Label13, "Label13", "whitelist page: \"N trusted addresses\""},
    {Control::Label17, "Label17", "start page: the server's address (\"Server IP:\")"},
    {Control::Label19, "Label19", "start page: the size of the whitelist"},
    {Control::Label21, "Label21", "start page: spam mails deleted so far (DeletedCount)"},
    {Control::Label25, "Label25", "whitelist page: \"N accepted E-MAIL Addresses\""},
    {Control::Panel13, "Panel13", "log page: \"N logged SPAM MAIL addresses\""},
    {Control::CheckBox6, "CheckBox6", "configuration: the daily check for updates"},
    {Control::TabSheet1, "TabSheet1", "the start page"},
    {Control::TabSheet3, "TabSheet3", "the messages page"},
    {Control::TabSheet4, "TabSheet4", "the whitelist page"},
    {Control::TabSheet5, "TabSheet5", "the configuration page"},
    {Control::TabSheet6, "TabSheet6", "the rejected-mail log page"},
    {Control::TabSheet7, "TabSheet7", "the blacklist page"},
    {Control::TabSheet8, "TabSheet8", "configuration: the accounts sub-page"},
    {Control::Timer1, "Timer1", "hides the window again after a check from the tray"},
    {Control::Timer2, "Timer2", "the command dispatcher's 50 ms tick"},
    {Control::Poller, "Poller", "the automatic new-mail check every CheckInterval minutes"},
}};

constexpr bool inEnumOrder()
{
    for (int i = 0; i < kControlCount; ++i)
        if (int(kGlossary[size_t(i)].id) != i)
            return false;
    return true;
}
static_assert(inEnumOrder(), "the glossary lists the controls in the order of the enum");

}  // namespace

const ControlEntry &controlEntry(Control id) { return kGlossary[size_t(id)]; }

const char *mainButtonCaption(MainButtonMode mode)
{
    switch (mode) {
    case MainButtonMode::Configure: return "Configure";
    case MainButtonMode::GetNew: return "Get Mail Headers: New";
    case MainButtonMode::Process: return "Process Suspicuous Mails";
    case MainButtonMode::Continue: return "Continue...";
    }
    return "";
}

}  // namespace kestrix
