// The information dialogs: "Element information:" (the element under the right mouse button)
// and "Project information:" (how many elements of each kind the drawing holds). Both are rows
// of a label and a value; the labels are English (the hosts translate them), the values are
// formatted with the drawing's units.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/element.h"
#include "model/settings.h"
#include "model/store.h"

namespace korav {

struct App;

inline constexpr std::string_view kDialogElementInfo = "oinfo";
inline constexpr std::string_view kDialogProjectInfo = "info";

struct InfoRow {
  std::string label;  // English, with its colon: "Length:"
  std::string value;
  bool operator==(const InfoRow&) const = default;
};
using InfoRows = std::vector<InfoRow>;

// The kind name ("Line", "Arc", "Dimension - Radius", "Door", ...) and the rows of one element.
std::string_view element_kind_name(const Element& e);
InfoRows element_info(const Element& e, const Settings& s);
// One row per kind with its count among all elements of the store.
InfoRows project_info(const ElementStore& store);

// "z_mb3": the element nearest to the last click fills the element information and shows it;
// a click that hits nothing leaves the dialog as it was.
void show_element_info(App& app);
// "p_file_info" and "z_info_update": counts again and shows the project information.
void show_project_info(App& app);

}  // namespace korav
