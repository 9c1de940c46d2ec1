// Preset files: one small text file per family and name, "<dialog path>/<family>/<name>", one
// value per line in the order of the records of model/presets.h. Integers are written "%d",
// reals "%f" with a decimal point whatever the locale, names as the whole line in ISO-8859-1.
//
// Reading is forgiving: the values are taken up to the first line that is missing, too long,
// binary or not a value of its field, and every value after it is the family's shipped
// default, so that choosing a preset always gives the same values whichever preset was
// current before. Writing never writes what reading would not take back, and goes through the
// safe writer, so that a failed save leaves the old file as it was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/chunk.h"
#include "files/safe_write.h"
#include "model/presets.h"

namespace korav {

inline constexpr std::string_view kMsgInvalidPresetName = "Invalid preset name";

// Reals beyond this size are refused on reading and writing: far beyond any drawing, and small
// enough that a value written "%f" and read back writes the same text again.
inline constexpr double kMaxPresetReal = 1e9;

enum class PresetRead {
  kRead,     // every value was read
  kDamaged,  // read up to a damage (or a short file); the rest are the family's defaults
  kMissing,  // no such preset (or an invalid name); nothing was changed
};

struct PresetReadResult {
  PresetRead status = PresetRead::kMissing;
  int values = 0;  // values taken from the file
};

// "<dialog dir>/<family>" and "<dialog dir>/<family>/<name>".
std::string preset_directory(std::string_view dialog_dir, PresetKind k);
std::string preset_path(std::string_view dialog_dir, PresetKind k, std::string_view name);

// "" for a usable preset name, else kMsgInvalidPresetName. A name is a file name: not empty,
// not hidden (no leading '.', which also refuses "." and ".."), no '/', no control character
// or NUL, at most 255 bytes.
std::string_view check_preset_name(std::string_view name);

// One family's values from `r` into `p` (its other families and its names stay).
PresetReadResult read_preset(Reader& r, PresetKind k, Presets& p);
// One family's values of `p` to `w`. False, with nothing written, for a value the reader would
// not take back (a real that is not finite or too large, a name with a line break or NUL, a name
// longer than a line).
bool write_preset(Writer& w, PresetKind k, const Presets& p);

// Choosing a preset: reads the file of `name`; on kRead or kDamaged the values and the current
// name of the family change.
PresetReadResult load_preset(std::string_view dialog_dir, PresetKind k, std::string_view name,
                             Presets& p);
// "Save": writes the family's current values under `name` (creating the family's directory
// below an existing dialog directory) and makes `name` the current one. An invalid name gives
// kCannotOpen; call check_preset_name first to show why.
WriteStatus save_preset(std::string_view dialog_dir, PresetKind k, std::string_view name,
                        Presets& p);
// The names offered in the family's list: its regular files that are usable names (hidden
// files, among them the safe writer's temporaries, are left out), sorted, "Default" first.
// Empty when the directory is missing.
std::vector<std::string> list_presets(std::string_view dialog_dir, PresetKind k);
// The trash can: deletes the file of `name`. Refused for "Default" and for invalid names.
// True when a file was deleted.
bool delete_preset(std::string_view dialog_dir, PresetKind k, std::string_view name);

}  // namespace korav
