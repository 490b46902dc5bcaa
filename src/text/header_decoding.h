#pragma once
// The small text functions that turn raw header lines into what the message table shows and
// compares: the sender and subject cut out of the header lines, encoded words of the form
// =?charset?q?text?= turned back into bytes, and the message code that recognises a message
// between runs. They never fail: odd input still yields some text.

#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// "0".."9" -> 0..9, "a".."f" -> 10..15, anything else (capitals included) -> 20.
int hexDigitValue(char c);

// Removes double quotes and decodes "q"-form encoded words, one per pass (at most 256 passes;
// the passes take time in proportion to the text, not to the text times the passes).
// Each escape =XY becomes one byte (=3D becomes a blank); once an encoded word was found every
// escape in the text is decoded and every underscore becomes a blank. An "=" next to a "?" is
// a delimiter of another encoded word and stays; a "b"-form word is left as it is. Each pass
// cuts out one word's delimiters, from the last "=?" before its "?q?" to the next "?=".
std::string decodeHeaderWords(std::string_view text);

// The form the rejected-mail log keeps a text in: A to Z lower-cased, except inside encoded
// words (=?charset?b?...?=, =?charset?q?...?=), whose base64 would no longer decode. It matches
// the fully lower-cased form ignoring case, so a program that lower-cases the whole line on
// reading still finds what it found before.
std::string lowerOutsideEncodedWords(std::string_view text);

// The decimal values of the id's bytes (leading blanks removed), while the code is shorter than
// 252 characters; at most 254 characters. "AB1" -> "656649".
std::string messageCode(std::string_view uniqueId);

// The rest of the first line containing "from:" (any case), decoded, without quotes; "" if none.
std::string extractSender(const std::vector<std::string> &header);
// The rest of the first line containing "subject:" (any case), decoded; "" if none.
std::string extractSubject(const std::vector<std::string> &header);
// The same two texts for what people read: only the double quotes removed, the encoded words
// left whole for the display decoder, which knows their charsets and joins adjacent ones.
std::string senderAsReceived(const std::vector<std::string> &header);
std::string subjectAsReceived(const std::vector<std::string> &header);

}  // namespace kestrix
