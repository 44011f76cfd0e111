// How the dialog's radio buttons map to scheme numbers, as pure functions.
#ifndef MANDELDIVE_SETTINGS_SCHEME_BUTTONS_H_
#define MANDELDIVE_SETTINGS_SCHEME_BUTTONS_H_

#include <cstdint>

#include "engine/colour_schemes.h"

namespace mandeldive {

// The in-set scheme from its buttons' checked states: the first checked of
// all but the last two wins; otherwise the one before last when its button
// is checked, and the last in every other case, also when none is checked
// (with the nine schemes: 0..6, then 7, else 8).
std::uint32_t InsideSchemeFromButtons(
    const bool (&checked)[kInsideSchemeCount]);

// The escape scheme from its buttons: every checked one in order sets it, so
// the last checked wins; with none checked it stays loaded.
std::uint32_t EscapeSchemeFromButtons(const bool (&checked)[kEscapeSchemeCount],
                                      std::uint32_t loaded);

}  // namespace mandeldive

#endif  // MANDELDIVE_SETTINGS_SCHEME_BUTTONS_H_
