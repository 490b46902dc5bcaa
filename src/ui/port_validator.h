#pragma once
// The port field takes digits only, up to 65535: a keystroke that would make anything else is
// refused quietly, so the field always shows what the setting holds. "0" and an empty field may
// stand while typing; leaving the field with "0" is the window's business.

#include <QValidator>

namespace kestrix {

class PortValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
    // A port the connection can use: 1 to 65535.
    static bool usable(const QString &text);
};

}  // namespace kestrix
