// The labels of the form's three fields, as the player reads them on the form
// screen: the content builder draws them, and the operator's CSV and closing
// report head their columns with them, so both say what the player typed in.
#pragma once

#include "board/draw_rules.h"

inline constexpr const char *form_field_labels[FORM_FIELD_COUNT] = {"Nome", "Cognome", "Telefono"};
