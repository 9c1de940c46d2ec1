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
#include <vector>

#include "files/preset_file.h"
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

// Where presets are saved and deleted: the dialog path, or for an installed program the same
// place below the user's data directory. Presets are looked for there first, then in the
// dialog path, and the name lists show both.
std::string preset_save_directory(const App& app);
PresetReadResult load_preset_of(App& app, PresetKind k, std::string_view name);
std::vector<std::string> preset_names(const App& app, PresetKind k);

// "Save" and the trash can of one family.
void preset_save(App& app, PresetKind k);
void preset_trash(App& app, PresetKind k);

}  // namespace korav
