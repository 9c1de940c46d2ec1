// Walls as solids: the body of a wall between its base and top corners (up to its gable points)
// with its openings cut through, as a mesh of planar faces, for the hidden-line drawing and the
// exporters that need surfaces.
#pragma once

#include "model/element.h"
#include "model/store.h"
#include "three_d/mesh.h"

namespace korav {

// The wall's body. Every edge of the result is shared by exactly two faces, and the faces run
// one way round (see signed_volume for which).
Mesh wall_mesh(const Wall& w);

// Every wall whose selection flag is 1 as a 3D object on the temporary layer, with the wall's
// pen, line type and material name. Returns how many were made.
int walls_to_solids(ElementStore& store);

// Frees every element on the temporary layer; no other element is touched.
void remove_temp_solids(ElementStore& store);

}  // namespace korav
