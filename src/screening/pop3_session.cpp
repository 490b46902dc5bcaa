#include "screening/pop3_session.h"

#include "text/secret_text.h"
#include "transport/pop3_client.h"

namespace kestrix {

bool Pop3Session::isOpen() const
{
    return NMPOP31 && NMPOP31->Connected();
}

void Pop3Session::forgetPassword()
{
    wipeSecret(password);
    if (NMPOP31)
        wipeSecret(NMPOP31->Password);
    forgetAccessToken();
}

void Pop3Session::forgetAccessToken()
{
    wipeSecret(accessToken);
    accessTokenCommand.clear();
    if (NMPOP31)
        wipeSecret(NMPOP31->AccessToken);
}

}  // namespace kestrix
