#include "ui/port_validator.h"

namespace kestrix {

QValidator::State PortValidator::validate(QString &input, int &) const
{
    if (input.isEmpty())
        return Intermediate;
    if (input.size() > 5)
        return Invalid;
    for (QChar c : input) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return Invalid;
    }
    const int number = input.toInt();
    if (number > 65535)
        return Invalid;
    return number == 0 ? Intermediate : Acceptable;
}

bool PortValidator::usable(const QString &text)
{
    QString copy = text;
    int pos = 0;
    return PortValidator().validate(copy, pos) == Acceptable;
}

}  // namespace kestrix
