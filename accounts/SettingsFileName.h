// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where a course folder keeps the administrator's settings, relative to the
// folder, spelt as the Windows program stores names. The file also marks a
// folder as a course's, which the choice of the folder looks for before any
// record is read; so the name stands alone, without the code that reads the
// file.
inline constexpr char SettingsFileName[] = "data\\info\\tumb.db";
