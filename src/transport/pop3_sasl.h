#pragma once
// Signing in to POP3 with an OAuth 2.0 access token (AUTH, RFC 5034): OAUTHBEARER (RFC 7628)
// and the older XOAUTH2 form that large providers speak. The client's message goes on the line
// after "AUTH MECHANISM" (a token of one or two kilobytes does not fit the 255-octet AUTH line).
// A refused token comes back as a "+ " continuation carrying a base64 JSON status; the client
// answers it as the mechanism asks and then reads the server's "-ERR". The token is a password:
// it goes only over TLS, and the wire log masks every line of the exchange.
//
//   C: AUTH XOAUTH2                      C: AUTH OAUTHBEARER
//   S: +                                 S: +
//   C: base64(user=U^Aauth=Bearer T^A^A) C: base64(n,a=U,^Ahost=H^Aport=P^Aauth=Bearer T^A^A)
//   S: +OK Logged in.                    S: + eyJzdGF0dXMiOiJpbnZhbGlkX3Rva2VuIn0=
//                                        C: AQ==
//                                        S: -ERR [AUTH] Authentication failed.

#include <string>

namespace kestrix {

// How TNMPOP3 signs in. Auto: OAUTHBEARER when the server's CAPA lists it, else XOAUTH2.
enum class Pop3SignIn { Password, XOAuth2, OAuthBearer, Auto };

// The client's messages before base64.
std::string xoauth2Message(const std::string &user, const std::string &token);
std::string oauthBearerMessage(const std::string &user, const std::string &host, int port,
                               const std::string &token);

// The "status" of a server's error continuation ("+ " and base64 of a JSON object, line end
// allowed); empty when the line carries none that can be read.
std::string saslErrorStatus(const std::string &continuation);

// What the user reads when the server refused the token (status may be empty).
std::string tokenRefusedText(const std::string &status);

}  // namespace kestrix
