#pragma once
// What this version writes into the NAME.conf of a profile it makes (the window's New,
// kestrix-cli profile add): the switches that are on for new profiles but off for older ones,
// whose absent keys keep their old behaviour. The one place that makes a new profile's NAME.conf.

#include "profiles/profile_conf.h"
#include "profiles/text_file.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

// How a new profile signs in, when chosen at its making ("[auth]").
struct NewProfileSignIn {
    std::optional<SignInMethod> method;
    std::string tokenCommand;
};

// Writes NAME.conf with "[headers] decodeAll=true" (and the security mode and sign-in when given).
// A NAME.conf left from an earlier profile of the same name is taken over with its other keys,
// as the settings file and lists are; one that cannot be read is left alone and reported.
FileResult writeNewProfileConf(const QString &dataDir, std::string_view profileName,
                               std::optional<SecurityMode> security = std::nullopt,
                               const NewProfileSignIn &signIn = {});

}  // namespace kestrix
