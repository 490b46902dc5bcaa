#include "ui/grid_paint_rules.h"

namespace kestrix {

RowPaintDecision decideRowPaint(const PaintRowInput &row, const GridPaintState &state)
{
    RowPaintDecision d;
    const int r = row.row;
    d.selected = state.selTop >= 0 && state.selTop <= r && r <= state.selBottom;
    d.highlighted = d.selected && !(row.cls.trusted && state.protectTrusted);
    if (state.knownBadSelectMode)
        d.highlighted = row.cls.knownBad() || row.cls.isBlacklisted();
    if (row.sizeEmpty) {
        d.highlighted = false;
        d.selected = false;
    }
    d.edge = d.selected && !d.highlighted && (r == state.selTop || r == state.selBottom);

    if (!row.cls.trusted && !row.senderEmpty) {
        if (row.cls.knownBad())
            d.badge = Badge::KnownBad;
        else if (row.cls.unknown())
            d.badge = Badge::Unknown;
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
    if (cls.knownBadSender)
        return {"KB: Known Bad address", colours::maroon, Qt::white};
    if (cls.knownBadSubject)
        return {"KB: Known Bad subject", colours::maroon, Qt::white};
    if (cls.blacklisted)
        return {"BL: Content in Black List", colours::orange, Qt::black};
    return {"US: Unknown Sender", colours::yellow, Qt::black};
}

const char *badgeText(Badge badge)
{
    switch (badge) {
    case Badge::KnownBad: return "KB";
    case Badge::Unknown: return "US";
    case Badge::Blacklisted: return "BL";
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
    case Badge::None: break;
    }
    return colours::cream;
}

QColor badgeTextColour(Badge badge)
{
    return badge == Badge::KnownBad ? QColor(Qt::white) : QColor(Qt::black);
}

}  // namespace kestrix
