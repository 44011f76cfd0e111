// How the dialog's radio buttons map to scheme numbers, as pure functions.
#ifndef MANDELDIVE_SETTINGS_SCHEME_BUTTONS_H_
#define MANDELDIVE_SETTINGS_SCHEME_BUTTONS_H_

#include <cstdint>

#include "engine/colour_schemes.h"

namespace mandeldive {

// The in-set scheme from its buttons' checked states: the first checked of
// 0..6 wins; otherwise 7 when button 7 is checked, and 8 in every other case,
// also when none is checked.
std::uint32_t InsideSchemeFromButtons(
    const bool (&checked)[kInsideSchemeCount]);

// The escape scheme from its buttons: every checked one in order sets it, so
// the last checked wins; with none checked it stays loaded.
std::uint32_t EscapeSchemeFromButtons(const bool (&checked)[kEscapeSchemeCount],
                                      std::uint32_t loaded);

}  // namespace mandeldive

#endif  // MANDELDIVE_SETTINGS_SCHEME_BUTTONS_H_
