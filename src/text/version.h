#pragma once
// The installed version text: the end of the window's caption, what the update check compares
// the announced release against, and what --version prints.

namespace kestrix { inline constexpr char kVersionText[] = "3.0.2 - October 2003"; }
