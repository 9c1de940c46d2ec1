// The "Material" dialog: the current 3D material (the name new solids get, and the combo
// beside the material tool on the 3D palette) and its values, which the dialog edits; "Save"
// writes them to the material's file, "Render preview" renders a sphere of it.
//
// Choosing a name loads that material's file (a name without a file changes nothing, so a new
// name can be typed before it is saved). Materials are saved below the data directory's "dat/
// mat/", or for an installed program below the user's data directory, where they are also
// looked for first.
#pragma once

#include <string>
#include <vector>

namespace korav {

struct App;

void register_material_variables(App& app);

// The names in the combo: the shipped materials and the user's own, sorted, "Default" first.
std::vector<std::string> material_names(const App& app);
// Refreshes the combo's list.
void refresh_material_names(App& app);

// Reads the file of the current material into the dialog's values (start-up, a new name).
// A damaged file is reported on standard output; the values up to the damage are taken.
void load_current_material(App& app);

// "Save" ("z_save_mat").
void material_save(App& app);

}  // namespace korav
