#pragma once
// The word splitting of a command typed into a settings field (the mail program's parameters,
// the token command): no shell ever sees the text.

#include <QString>
#include <QStringList>

namespace kestrix {

// Splits a parameter text into arguments as a POSIX shell splits words: blanks separate,
// single quotes keep everything literally, double quotes keep blanks and let a backslash escape
// " \ $ and `, a backslash outside quotes keeps the next character. Nothing is expanded and no
// shell runs. An unclosed quote ends at the end of the text.
QStringList splitArguments(const QString &text);

}  // namespace kestrix
