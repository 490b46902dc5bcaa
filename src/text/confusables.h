#pragma once
// Keys under which texts that people would read alike compare equal, for the look-alike and
// impostor checks of senders. A key is ICU's confusable skeleton (UTS #39, the spoof checker
// Qt's own ICU provides) of the case-folded text, with A-Z lowered afterwards, so "paypa1",
// "PAYPAL" and "pаypal" (with a Cyrillic a) share the key of "paypal", "rnodern" that of
// "modern", and "g00gle" that of "google". Plain ASCII texts take a table built once from ICU,
// so the common case costs a few nanoseconds per character.
//
// Input texts are UTF-8 (the display text of a header); invalid bytes count as U+FFFD.

#include <string>
#include <string_view>

namespace kestrix {

// The key of a text (a display name, say). The ...Into forms write into key (emptied first),
// reusing its room: a table build asks for two keys per row.
std::string confusableKey(std::string_view utf8);
void confusableKeyInto(std::string_view utf8, std::string &key);

// The key of a domain name: ACE labels ("xn--...") are read as their Unicode form first, so an
// IDN homograph gets the key of the name it imitates.
std::string domainConfusableKey(std::string_view domain);
void domainConfusableKeyInto(std::string_view domain, std::string &key);

// The Unicode form (UTF-8) of a domain name whose labels may be ACE ("xn--..."); the text
// itself when it has no such label or ICU cannot read it.
std::string domainToUnicode(std::string_view domain);

// ICU's restriction-level check (highly restrictive): true when the text mixes scripts in a
// way no single writing system does, as "pаypal" with one Cyrillic letter.
bool mixesScripts(std::string_view utf8);

}  // namespace kestrix
