// The preset dialogs ("Text", "Room", "Pattern", "Wall", "Door", "Window", "Opening", "Light",
// "Dim"): each family's current values as dialog variables, its "Name" combo listing the presets
// found in the family's directory, and "Save" and the trash can. The same "Name" variable is the
// combo beside the family's tools on the palette, so both show one list and one choice.
//
// Choosing a name loads that preset (a name without a file changes nothing, so a name can be
// typed before it is saved); "Save" writes the current values under the name in the combo;
// the trash can deletes the current preset, never "Default", and chooses "Default" again.
#pragma once

#include <string>

#include "model/presets.h"

namespace korav {

struct App;

// The dialog key (app/commands.h) and the dialog's title, which starts its variables' names.
std::string_view preset_dialog_key(PresetKind k);
std::string preset_variable(PresetKind k, std::string_view label);  // "Wall/Thickness"

// The trash can's command of a family: "z_trash_wall", ...
std::string preset_trash_command(PresetKind k);

void register_preset_variables(App& app);

// The name lists of every family from the preset directories (start-up, a new dialog path).
void refresh_preset_names(App& app);

// "Save" and the trash can of one family.
void preset_save(App& app, PresetKind k);
void preset_trash(App& app, PresetKind k);

}  // namespace korav
