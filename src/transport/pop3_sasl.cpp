#include "transport/pop3_sasl.h"

#include "text/line_end.h"
#include "text/secret_text.h"
#include "transport/pop3_client.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kestrix {

namespace {

const char *const noTlsForToken =
    "Signing in with a token needs an encrypted connection: choose \"Automatic\" or \"TLS\" in "
    "Security (the token was not sent)";

bool isContinuation(const std::string &reply)
{
    return reply.size() >= 1 && reply[0] == '+' && (reply.size() == 1 || reply[1] == ' '
                                                    || reply[1] == '\r' || reply[1] == '\n');
}

std::string base64(const std::string &bytes)
{
    QByteArray raw = QByteArray::fromStdString(bytes);
    std::string encoded = raw.toBase64().toStdString();
    raw.fill('\0');
    return encoded;
}

const char *mechanismName(Pop3SignIn mechanism)
{
    return mechanism == Pop3SignIn::XOAuth2 ? "XOAUTH2" : "OAUTHBEARER";
}

}  // namespace

std::string xoauth2Message(const std::string &user, const std::string &token)
{
    return "user=" + user + "\x01" "auth=Bearer " + token + "\x01\x01";
}

std::string oauthBearerMessage(const std::string &user, const std::string &host, int port,
                               const std::string &token)
{
    // The GS2 header names the user; "," and "=" in a name are written =2C and =3D.
    std::string authzid;
    for (const char c : user) {
        if (c == ',')
            authzid += "=2C";
        else if (c == '=')
            authzid += "=3D";
        else
            authzid += c;
    }
    return "n,a=" + authzid + ",\x01" "host=" + host + "\x01" "port=" + std::to_string(port)
           + "\x01" "auth=Bearer " + token + "\x01\x01";
}

std::string saslErrorStatus(const std::string &continuation)
{
    const std::string line = withoutLineEnd(continuation);
    if (line.size() < 3 || line.compare(0, 2, "+ ") != 0)
        return {};
    const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(line.substr(2)),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return {};
    const QJsonDocument json = QJsonDocument::fromJson(*decoded);
    if (!json.isObject())
        return {};
    const QJsonValue status = json.object().value(QStringLiteral("status"));
    std::string text = status.isString() ? status.toString().toLatin1().toStdString()
                                         : status.isDouble() ? std::to_string(status.toInt())
                                                             : std::string();
    // Shown in one line of the status bar: printable characters only, and not too many.
    std::string shown;
    for (const char c : text.substr(0, 64)) {
        if (c >= ' ' && c <= '~')
            shown += c;
    }
    return shown;
}

std::string tokenRefusedText(const std::string &status)
{
    return "The token was refused" + (status.empty() ? std::string() : " (" + status + ")")
           + ": sign in again with your token command";
}

void TNMPOP3::checkTokenSignIn() const
{
    if (Security == Pop3Security::None)
        throw EProtectionMissing(noTlsForToken);
    if (AccessToken.empty())
        throw Exception("No access token: the token command gave none, so nothing was sent");
}

void TNMPOP3::refuseTokenWithoutTls() const
{
    if (SignIn != Pop3SignIn::Password)
        throw EProtectionMissing(noTlsForToken);
}

void TNMPOP3::signInWithToken()
{
    if (!Encrypted())
        throw EProtectionMissing(noTlsForToken);
    Pop3SignIn mechanism = SignIn;
    if (mechanism == Pop3SignIn::Auto) {
        if (!capabilities_.oauthbearer && !capabilities_.xoauth2)
            throw Exception(Host + " offers neither OAUTHBEARER nor XOAUTH2 (its CAPA has no such "
                                   "SASL line): choose \"Password\" in \"Sign in with\"");
        mechanism = capabilities_.oauthbearer ? Pop3SignIn::OAuthBearer : Pop3SignIn::XOAuth2;
    }
    const std::string word = std::string("AUTH ") + mechanismName(mechanism);
    protection_.credentialsSent = true;
    for (bool renewed = false;;) {
        std::string reply = command(word);
        if (reply.empty())
            refuse("AUTH", reply);
        // Anything but "+ " refuses the mechanism itself: the token was not sent.
        if (!isContinuation(reply))
            refuse("AUTH", reply, "The server refused " + word + ": " + withoutLineEnd(reply));
        std::string message = mechanism == Pop3SignIn::XOAuth2
                                  ? xoauth2Message(UserID, AccessToken)
                                  : oauthBearerMessage(UserID, Host, Port, AccessToken);
        std::string encoded = base64(message);
        wipeSecret(message);
        reply = command(encoded);
        wipeSecret(encoded);
        std::string status;
        if (isContinuation(reply)) {
            // The error continuation: the exchange ends with the answer the mechanism asks for
            // (an empty line, or %x01 for OAUTHBEARER) and the server's final "-ERR".
            status = saslErrorStatus(reply);
            reply = command(mechanism == Pop3SignIn::XOAuth2 ? std::string() : "AQ==");
        }
        if (pop3ReplyContainsOk(reply))
            return;
        if (reply.empty())
            refuse("AUTH", reply);
        Pop3RefusalReason reason = classifyPop3Refusal("AUTH", reply, true, std::nullopt);
        if (reason != Pop3RefusalReason::Other)
            throw EPop3Refusal("AUTH", reply, reason);
        if (!renewed && OnTokenRefused) {
            // The token may have run out: the handler can fetch a fresh one, tried once.
            bool handled = false;
            OnTokenRefused(handled);
            renewed = true;
            if (handled && !AccessToken.empty())
                continue;
        }
        throw EPop3Refusal("AUTH", reply, Pop3RefusalReason::TokenRefused,
                           tokenRefusedText(status));
    }
}

}  // namespace kestrix
