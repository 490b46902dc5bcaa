#include "screening/screening_profile.h"

#include <QDateTime>

namespace kestrix {

std::string ScreeningProfile::take(Profile loaded, ProfileConf loadedConf, QString loadedConfFile,
                                   const QString &dataDir)
{
    settings = std::move(loaded.settings);
    whitelist = std::move(loaded.whitelist);
    blacklist = std::move(loaded.blacklist);
    rejectedLog = std::move(loaded.log);
    decodeAll = loadedConf.decodeAll();
    conf = std::move(loadedConf);
    confFile = std::move(loadedConfFile);
    quarantine.reset();
    quarantineProblem.clear();
    if (conf.quarantine().enabled && !dataDir.isEmpty()) {
        quarantine.emplace(QuarantineStore::folderFor(dataDir, loaded.name), conf.quarantine());
        quarantineProblem = quarantine->open();
        if (quarantineProblem.empty())
            quarantine->purge(QDateTime::currentSecsSinceEpoch());
        else
            quarantine.reset();
    }
    learning.open(dataDir, loaded.name, conf);
    return learning.problem();
}

std::string ScreeningProfile::recoveryNote(bool exclaim) const
{
    if (!keepsDeletedMail())
        return exclaim ? "(No Recovery !)" : "(No Recovery)";
    return "(Deleted messages are kept for " + std::to_string(conf.quarantine().keepDays)
           + " days under Deleted mail)";
}

SenderCheckSettings ScreeningProfile::senderCheckSettings() const
{
    SenderCheckSettings checks;
    checks.trustedAuthservId = conf.trustedAuthservId();
    checks.trustSpamFlag = conf.trustSpamFlag();
    checks.forgedIsBad = conf.forgedIsBad();
    return checks;
}

}  // namespace kestrix
