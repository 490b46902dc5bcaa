#include "text/argument_split.h"

namespace kestrix {

QStringList splitArguments(const QString &text)
{
    QStringList words;
    QString word;
    bool inWord = false;
    enum class Quote { None, Single, Double } quote = Quote::None;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (quote) {
        case Quote::Single:
            if (c == QLatin1Char('\''))
                quote = Quote::None;
            else
                word += c;
            continue;
        case Quote::Double:
            if (c == QLatin1Char('"')) {
                quote = Quote::None;
            } else if (c == QLatin1Char('\\') && i + 1 < text.size() &&
                       QStringLiteral("\"\\$`").contains(text[i + 1])) {
                word += text[++i];
            } else {
                word += c;
            }
            continue;
        case Quote::None:
            break;
        }
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\''))
            quote = Quote::Single;
        else if (c == QLatin1Char('"'))
            quote = Quote::Double;
        else if (c == QLatin1Char('\\') && i + 1 < text.size())
            word += text[++i];
        else
            word += c;
    }
    if (inWord)
        words << word;
    return words;
}

}  // namespace kestrix
