// Element selection: the settings of the selection panel and the steps of the selection
// dialogue (range, element, opening, group, point, all, last) as plain functions on the
// drawing. The interactive dialogue that asks for the points lives with the point input; these
// functions only change selection flags and point marks.
#pragma once

#include <cstdint>
#include <functional>

#include "app/filter.h"
#include "app/pick.h"
#include "model/drawing.h"

namespace korav {

struct App;

enum SelectMode : int { kSelectActive = 0, kSelectPassive = 1, kSelectSwitch = 2 };
enum SelectType : int {
  kSelectRange = 0,
  kSelectElement = 1,
  kSelectOpening = 2,
  kSelectGroup = 3,
  kSelectPoint = 4,
};

struct SelectionSettings {
  int mode = kSelectActive;    // SelectMode
  int layers = 0;              // 0 "Active layer", 1 "Visible layers"
  int type = kSelectElement;   // SelectType
  bool points_marked = false;  // a step of type Opening or Point changed point marks
  bool visible_layers() const { return layers == 1; }
};

// Called for every element whose selection flag or point marks a step changed (to redraw it).
using ElementChanged = std::function<void(Element&)>;

// Active sets the flag, Passive clears it, Switch inverts it.
void apply_mode(int mode, std::uint8_t& flag);

// On the current layer, or on a shown layer when `visible_layers` is set.
bool element_accessible(const Drawing& d, bool visible_layers, const Element& e);

// Range: the mode is applied to every accessible element passing the filter whose defining
// points all lie in the rectangle (borders included). In a 3D view (view != 0) only walls, 3D
// objects, 3D lines, lights and cameras take part, through the view's projection. Returns the
// number of elements changed.
int select_range(Drawing& d, const SelectionSettings& s, const Filter& f, int view, double x1,
                 double y1, double x2, double y2, const ElementChanged& changed = {});

// Point: the mode is applied to the mark of every point inside the rectangle of every
// accessible element passing the filter; sets points_marked. Separator points and the pattern's
// spacing vector are not positions and are never marked. In a 3D view only the kinds a range
// tests there take part.
int select_points(Drawing& d, SelectionSettings& s, const Filter& f, int view, double x1, double y1,
                  double x2, double y2, const ElementChanged& changed = {});

// Element: the mode is applied to the picked element when it passes the filter.
Element* select_element(Drawing& d, const SelectionSettings& s, const Filter& f,
                        const PickContext& c, double x, double y,
                        const ElementChanged& changed = {});

// Opening: the opening of a wall on the current layer whose reference line passes nearest to
// the click (strictly between its ends, nearer than 1 m); the mode is applied to the marks of
// every point of that wall within 0.001 m (in plan) of one of the opening's corners. Returns the
// wall, or nullptr when no opening was found.
Wall* select_opening(Drawing& d, SelectionSettings& s, double x, double y,
                     const ElementChanged& changed = {});

// Group: the mode is applied to every element of the picked element's group on the current
// layer that passes the filter. Returns the number of elements changed (0 when the picked
// element belongs to no group).
int select_group(Drawing& d, const SelectionSettings& s, const Filter& f, const PickContext& c,
                 double x, double y, const ElementChanged& changed = {});

// "s_deffi_all": every accessible element passing the filter.
int select_all(Drawing& d, const SelectionSettings& s, const Filter& f);
// "s_deffi_last": every accessible element passing the filter that belongs to the last
// recorded undo step.
int select_last(Drawing& d, const SelectionSettings& s, const Filter& f,
                const ElementChanged& changed = {});

// Clean-up after a cancelled selection. Point scope 2 clears the point marks of every element,
// scope 1 those of walls only; every selection flag is cleared. `was_selected` is called for
// every element that was highlighted (unless points were marked and the scope is 1 or 2, when
// the caller redraws everything: the result is true then).
bool clear_after_cancel(Drawing& d, const SelectionSettings& s, int point_scope,
                        const ElementChanged& was_selected = {});

// ---- The interactive dialogue ----

// The filter as the dialog "Filter" sets it (pen, line type and "filter by" live in the
// settings chunk, the switch and the object type in the application).
Filter current_filter(const App& app);

// The selection dialogue: steps of the panel's current type until "s_deffi_ok" (returns 1) or a
// cancel (returns 0, after the clean-up with `point_scope` 0, 1 or 2).
int select_elements(App& app, int point_scope);

// Draws one element again as its selection flag says (highlighted or normal) and shows it.
void show_element(App& app, const Element& e);

// The dialog variables of the selection panel ("Selection/...") and the dialog "Filter".
void register_selection_variables(App& app);

}  // namespace korav
