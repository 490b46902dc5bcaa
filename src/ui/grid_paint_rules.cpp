#include "ui/grid_paint_rules.h"

namespace kestrix {

namespace {

Badge badgeOf(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Forged: return Badge::Forged;
    case Verdict::Impostor: return Badge::Impostor;
    case Verdict::LookAlike: return Badge::LookAlike;
    case Verdict::ProviderSpam: return Badge::ProviderSpam;
    }
    return Badge::None;
}

bool isVerdictBadge(Badge badge) { return badge >= Badge::Forged && badge <= Badge::ProviderSpam; }

// An unknown sender's badge tells what the learned score makes of the message.
Badge learnedBadge(LearnedVerdict learned)
{
    switch (learned) {
    case LearnedVerdict::Spam: return Badge::LearnedSpam;
    case LearnedVerdict::Unsure: return Badge::LearnedUnsure;
    case LearnedVerdict::Good:
    case LearnedVerdict::NotTrained: break;
    }
    return Badge::Unknown;
}

}  // namespace

RowPaintDecision decideRowPaint(const PaintRowInput &row, const GridPaintState &state)
{
    RowPaintDecision d;
    const int r = row.row;
    d.selected = state.selTop >= 0 && state.selTop <= r && r <= state.selBottom;
    d.highlighted = d.selected && !(row.cls.trusted && state.protectTrusted);
    if (state.knownBadSelectMode)
        d.highlighted = row.cls.knownBad() || row.cls.isBlacklisted() || row.cls.badByVerdict();
    if (row.sizeEmpty) {
        d.highlighted = false;
        d.selected = false;
    }
    d.edge = d.selected && !d.highlighted && (r == state.selTop || r == state.selBottom);

    if (row.cls.hasVerdict && !row.senderEmpty) {
        // A verdict is news the class badge cannot tell; a trusted row shows it too.
        d.badge = badgeOf(row.cls.verdict);
        d.verdictColour = true;
    } else if (!row.cls.trusted && !row.senderEmpty) {
        if (row.cls.knownBad())
            d.badge = Badge::KnownBad;
        else if (row.cls.unknown())
            d.badge = learnedBadge(row.cls.learned);
        else if (row.cls.isBlacklisted())
            d.badge = Badge::Blacklisted;
    }
    // Edge lines frame an unhighlighted selection end; the fill is cream exactly then.
    d.topEdgeLine = d.edge && !d.highlighted;
    d.bottomEdgeLine = d.topEdgeLine && (r >= state.selBottom || row.cls.trusted);
    d.numberRightLine = !row.sizeEmpty;
    return d;
}

ClassShape classShapeFor(const RowMarks &cls)
{
    if (cls.trusted)
        return {"Known good address", colours::cream, Qt::black};
    if (cls.hasVerdict) {
        switch (cls.verdict) {
        case Verdict::Forged: return {"FG: Forged sender", colours::purple, Qt::white};
        case Verdict::Impostor: return {"IM: Impostor name", colours::purple, Qt::white};
        case Verdict::LookAlike: return {"LA: Look-alike domain", colours::purple, Qt::white};
        case Verdict::ProviderSpam: return {"PS: Spam by the provider", colours::purple, Qt::white};
        }
    }
    if (cls.knownBadSender)
        return {"KB: Known Bad address", colours::maroon, Qt::white};
    if (cls.knownBadSubject)
        return {"KB: Known Bad subject", colours::maroon, Qt::white};
    if (cls.blacklisted)
        return {"BL: Content in Black List", colours::orange, Qt::black};
    if (cls.learned == LearnedVerdict::Spam)
        return {"SP: Unknown Sender, learned spam", colours::learnedRed, Qt::white};
    if (cls.learned == LearnedVerdict::Unsure)
        return {"SU: Unknown Sender, learned score unsure", colours::unsureBlue, Qt::black};
    return {"US: Unknown Sender", colours::yellow, Qt::black};
}

const char *badgeText(Badge badge)
{
    switch (badge) {
    case Badge::KnownBad: return "KB";
    case Badge::Unknown: return "US";
    case Badge::Blacklisted: return "BL";
    case Badge::Forged: return "FG";
    case Badge::Impostor: return "IM";
    case Badge::LookAlike: return "LA";
    case Badge::ProviderSpam: return "PS";
    case Badge::LearnedSpam: return "SP";
    case Badge::LearnedUnsure: return "SU";
    case Badge::None: break;
    }
    return "";
}

QColor badgeFill(Badge badge)
{
    switch (badge) {
    case Badge::KnownBad: return colours::maroon;
    case Badge::Unknown: return colours::yellow;
    case Badge::Blacklisted: return colours::orange;
    case Badge::Forged:
    case Badge::Impostor:
    case Badge::LookAlike:
    case Badge::ProviderSpam: return colours::purple;
    case Badge::LearnedSpam: return colours::learnedRed;
    case Badge::LearnedUnsure: return colours::unsureBlue;
    case Badge::None: break;
    }
    return colours::cream;
}

QColor badgeTextColour(Badge badge)
{
    const bool dark = badge == Badge::KnownBad || badge == Badge::LearnedSpam || isVerdictBadge(badge);
    return dark ? QColor(Qt::white) : QColor(Qt::black);
}

}  // namespace kestrix
