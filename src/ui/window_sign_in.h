#pragma once
// The account sub-page's "Sign in with" (Password / OAuth 2.0 token command) and the token
// command's field, kept in NAME.conf "[auth]". As with Security, what the page shows is what the
// next connection uses, saved or not; the file gets it when the profile is saved.

#include "profiles/text_file.h"

#include <QString>

namespace kestrix {

class ConfigPage;
class ProfileConf;

// Shows the profile's sign-in on the page.
void showSignIn(ConfigPage &page, const ProfileConf &conf);
// Makes the page's choices change conf at once.
void followSignIn(ConfigPage &page, ProfileConf &conf);
// Writes the sign-in in use into confFile when it differs from what the file holds.
FileResult saveSignIn(const ProfileConf &inUse, const QString &confFile);

}  // namespace kestrix
