#pragma once
// The glossary of the controls the screening writes to: each typed id with the object name of
// its widget and a line saying what it is. The window finds its widgets by these names.

#include "screening/view.h"

namespace kestrix {

struct ControlEntry {
    Control id;
    const char *objectName;
    const char *meaning;
};

// The entry of a control (every Control has one).
const ControlEntry &controlEntry(Control id);
inline const char *controlName(Control id) { return controlEntry(id).objectName; }

// The main button's caption for a mode (Button1, the only place the captions are spelt).
const char *mainButtonCaption(MainButtonMode mode);

}  // namespace kestrix
