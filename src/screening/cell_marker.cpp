#include "screening/cell_marker.h"

namespace kestrix {

std::string markerText(CellMarker marker)
{
    const char *letters = nullptr;
    switch (marker) {
    case CellMarker::None:
        return {};
    case CellMarker::KNGA:
        letters = "KNGA";
        break;
    case CellMarker::KNBA:
        letters = "KNBA";
        break;
    case CellMarker::KNBS:
        letters = "KNBS";
        break;
    case CellMarker::KNBP:
        letters = "KNBP";
        break;
    }
    return std::string(1, kSectionSign) + letters;
}

std::string markedText(CellMarker marker, const std::string &text)
{
    return markerText(marker) + text;
}

}  // namespace kestrix
