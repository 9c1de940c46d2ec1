// 3D Studio mesh files through lib3ds. The export writes each chosen 3D object as a mesh
// "KORAV_ob3_<n>" with its material's colours; the import turns each mesh into a 3D object and
// each material it uses into a material file "3ds_<name>".
//
// lib3ds trusts the files it reads (chunk sizes, counts and indices are not checked against each
// other), so a damaged file could corrupt memory in the reader. The import therefore runs
// lib3ds in a child process that hands back only plain arrays through a pipe; the parent checks
// every count and index of that stream. A child that crashes, loops or fails means the file
// cannot be loaded, and the drawing is not touched.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exchange/mesh_materials.h"
#include "exchange/mesh_triangles.h"
#include "files/safe_write.h"

namespace korav {

inline constexpr std::string_view kMsg3dsFailed = "Loading .3ds file failed";

// A 3DS mesh holds at most 65535 points and faces: larger objects are written as several meshes.
inline constexpr std::size_t k3dsMaxPerMesh = 65535;

struct ThreeDsMaterial {
  std::string name;  // as in the file
  MaterialValues values;
};

struct ThreeDsObject {
  std::string name;
  TriangleMesh mesh;
  int material = -1;  // index into ThreeDsImport::materials, -1 for none
};

struct ThreeDsImport {
  bool ok = false;
  std::vector<ThreeDsObject> objects;
  std::vector<ThreeDsMaterial> materials;
};

// Loads the file (lib3ds in a child process, see above), which may take `cpu_seconds` of the
// processor and three times that of the clock; a damaged file that makes the reader loop fails
// then. Faces with an index outside their mesh are dropped; meshes without faces are left out.
ThreeDsImport read_3ds_file(const std::string& path, int cpu_seconds = 20);

// The child's stream, as the parent reads it; false for anything that is not a whole, well
// formed stream. Exposed for the tests and the fuzz target.
bool decode_3ds_stream(std::string_view bytes, ThreeDsImport& out);
// What the child writes for a file lib3ds has loaded, from the same plain records.
std::string encode_3ds_stream(const ThreeDsImport& in);

// The name of the material file for a 3DS material: "3ds_" and the name, made safe as a file
// name.
std::string material_name_for_3ds(std::string_view name);

struct ThreeDsExportObject {
  TriangleMesh mesh;
  std::string material;  // the object's material name
  MaterialValues values;
};

// Writes the objects (meshes "KORAV_ob3_1", "KORAV_ob3_2", ...; an object too large for one
// mesh continues in the next numbers) and one material per distinct material name. lib3ds
// problems are appended to `log` ("lib3ds error: ...").
WriteStatus write_3ds(const std::vector<ThreeDsExportObject>& objects, const std::string& path,
                      std::string& log);

}  // namespace korav
