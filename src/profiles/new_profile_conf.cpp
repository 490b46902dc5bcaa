#include "profiles/new_profile_conf.h"

namespace kestrix {

FileResult writeNewProfileConf(const QString &dataDir, std::string_view profileName,
                               std::optional<SecurityMode> security,
                               const NewProfileSignIn &signIn)
{
    const QString path = ProfileConf::pathFor(dataDir, profileName);
    ProfileConf conf = ProfileConf::load(path);
    conf.setDecodeAll(true);
    if (security)
        conf.setSecurityMode(*security);
    if (signIn.method)
        conf.setSignInMethod(*signIn.method);
    if (!signIn.tokenCommand.empty())
        conf.setTokenCommand(signIn.tokenCommand);
    // save refuses a file it could not read, so nothing in it is lost.
    return conf.save(path);
}

}  // namespace kestrix
