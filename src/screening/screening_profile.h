#pragma once
// The profile being screened, handed over once when it is chosen: its settings and resume marks,
// whitelist, blacklist words, rejected-mail log, NAME.conf and the stores kept beside it (the
// learned score, the copies of deleted mail). The window and kestrix-cli load a profile and give
// it here; every other part of the screening reads it from here.

#include "profiles/blacklist_words.h"
#include "profiles/profile_conf.h"
#include "profiles/profile_settings.h"
#include "profiles/profile_store.h"
#include "profiles/quarantine_store.h"
#include "profiles/rejected_log.h"
#include "profiles/whitelist.h"
#include "screening/learning.h"
#include "screening/sender_likeness.h"
#include "screening/sender_verdicts.h"

#include <QString>

#include <optional>
#include <string>

namespace kestrix {

struct ScreeningProfile {
    // Settings, with DeletedCount and the saved resume marks resumeCode, resumeFallbackCode,
    // resumeCodeCopy, spareCode1 and spareCode2 ("-1" for none).
    ProfileSettings settings;
    Whitelist whitelist;       // "ListBox4"
    BlacklistWords blacklist;  // "ListBox7"
    RejectedLog rejectedLog;   // "StringGrid2"
    // The profile's further settings (NAME.conf) and the file they are kept in: the security
    // choice and a pinned certificate apply to every connection.
    ProfileConf conf;
    QString confFile;
    // The profile's "[headers] decodeAll": blacklist words are also matched against the display
    // text of senders and subjects. Off for profiles that do not say so.
    bool decodeAll = false;
    // The sender checks (forged senders, impostor names, look-alike domains, the provider's
    // spam flag) run at every table build, with the "[screening]" keys of `conf`. Off only to
    // measure what they cost.
    bool checkSenders = true;
    SenderCheckSettings senderCheckSettings() const;
    // The learned score of the profile: its token store and cutoffs, opened with the profile.
    Learning learning;
    // The whitelist's names and domains as the checks compare them, indexed once per whitelist.
    SenderLikenessCache likenessCache;
    // "Deleted mail": the copy of every message kept before its DELE (NAME.quarantine in the
    // data folder), opened by take while NAME.conf has it on; unset without a profile.
    // quarantineProblem says why it could not be opened: then nothing is deleted.
    std::optional<QuarantineStore> quarantine;
    std::string quarantineProblem;
    bool keepsDeletedMail() const { return quarantine.has_value() || !quarantineProblem.empty(); }
    // The deletion questions' closing words: "(No Recovery)" without the copies.
    std::string recoveryNote(bool exclaim) const;

    // Takes a loaded profile: its settings and lists, NAME.conf (decodeAll from it) and the file
    // it is kept in, and the stores in dataDir. Returns the learned score's problem ("" when
    // none) for the caller to show.
    std::string take(Profile loaded, ProfileConf loadedConf, QString loadedConfFile,
                     const QString &dataDir);
};

}  // namespace kestrix
