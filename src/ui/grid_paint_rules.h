#pragma once
// What the message grid paints for a row, decided without pixels: the highlight, the edge
// lines and the class badge. TWrapGrid's delegate only turns these answers into drawing.

#include "screening/row_verdicts.h"

#include <QColor>

namespace kestrix {

// The class of a row, taken from the classification in the model (never from cell text).
struct RowMarks {
    bool trusted = false;         // sender on the whitelist
    bool knownBadSender = false;  // sender found in the rejected-mail log
    bool knownBadSubject = false; // subject found in the rejected-mail log
    bool blacklisted = false;     // a blacklist word in subject or sender
    // The row's verdicts (forged, impostor, look-alike, spam by the provider): the most serious
    // one, and whether the row joins the known-bad selection for it.
    bool hasVerdict = false;
    Verdict verdict = Verdict::Forged;
    bool verdictBad = false;
    // The learned score's verdict (NotTrained: no score).
    LearnedVerdict learned = LearnedVerdict::NotTrained;

    // Known bad and blacklisted only count for rows of senders that are not trusted.
    bool knownBad() const { return !trusted && (knownBadSender || knownBadSubject); }
    bool isBlacklisted() const { return !trusted && blacklisted; }
    bool unknown() const { return !trusted && !knownBadSender && !knownBadSubject && !blacklisted; }
    bool badByVerdict() const { return !trusted && verdictBad; }
};

// One data row as the painter needs it; row numbers count from 1 (row 0 is the title row).
struct PaintRowInput {
    int row = 1;
    RowMarks cls;
    bool senderEmpty = false;
    bool sizeEmpty = false;  // the blank row of an empty table
};

struct GridPaintState {
    int selTop = -1;  // first and last selected row, -1 when nothing is selected
    int selBottom = -1;
    bool protectTrusted = true;
    bool knownBadSelectMode = false;
};

enum class Badge {
    None, KnownBad, Unknown, Blacklisted, Forged, Impostor, LookAlike, ProviderSpam,
    LearnedSpam, LearnedUnsure
};

struct RowPaintDecision {
    bool selected = false;
    bool highlighted = false;
    bool edge = false;            // the selection's first or last row, shown unhighlighted
    Badge badge = Badge::None;    // drawn in column 0
    bool verdictColour = false;   // the sender is written in the verdict colour
    bool topEdgeLine = false;     // columns 1..3: silver line along the top
    bool bottomEdgeLine = false;  // columns 1..3: silver line along the bottom
    bool numberRightLine = false; // column 0: silver line along the right edge
};

RowPaintDecision decideRowPaint(const PaintRowInput &row, const GridPaintState &state);

// The class shape beneath the grid and its caption.
struct ClassShape {
    const char *caption;
    QColor fill;
    QColor text;
};
ClassShape classShapeFor(const RowMarks &cls);

// Badge caption and colours ("KB" maroon, "US" yellow, "BL" orange; the verdicts "FG" forged,
// "IM" impostor, "LA" look-alike and "PS" spam by the provider in purple; an unknown sender's
// learned score "SP" spam in red, "SU" unsure in light blue).
const char *badgeText(Badge badge);
QColor badgeFill(Badge badge);
QColor badgeTextColour(Badge badge);

namespace colours {
inline const QColor cream{255, 251, 240};
inline const QColor silver{192, 192, 192};
inline const QColor highlight{148, 188, 254};
inline const QColor maroon{128, 0, 0};
inline const QColor yellow{255, 255, 0};
inline const QColor orange{255, 128, 64};
inline const QColor purple{128, 0, 128};
inline const QColor warningOrange{255, 128, 0};
inline const QColor navy{0, 0, 128};
inline const QColor green{0, 255, 0};
inline const QColor indicatorOrange{255, 128, 0};
inline const QColor learnedRed{200, 0, 0};
inline const QColor unsureBlue{173, 216, 230};
}  // namespace colours

}  // namespace kestrix
