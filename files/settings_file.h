// The settings chunks: the program's options as every drawing and every settings file carries
// them, the three chunks only settings files hold (paths, aspect ratio, backup), the layer
// chunks that share the same reader, and the settings file commands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/ui.h"
#include "files/chunk.h"
#include "model/drawing.h"

namespace korav {

// Relative to the program directory.
inline constexpr std::string_view kSettingsDirectory = "dat/prefs/";
inline constexpr std::string_view kDefaultSettingsFile = "dat/prefs/default.prefs";

inline constexpr std::string_view kMsgNotNative = "This is not a Korav file!";
inline constexpr std::string_view kMsgCannotOpen = "Cannot open file";
inline constexpr std::string_view kMsgCannotWrite = "Cannot write file";
inline constexpr std::string_view kMsgCannotOpenSettings = "Cannot open local settings!";

// Body lengths of the layer chunks.
inline constexpr std::uint32_t kLay3Length = 93, kLaygLength = 800, kLas3Length = 1084;

// What one pass over a file's chunks remembers between chunks.
struct ChunkReadState {
  // Set by the first LAYR chunk: from then on layer numbers are in the old two-digit numbering
  // (ten lists of ten layers) and are converted as they are read.
  bool old_layer_numbers = false;
  int layer(int n) const { return old_layer_numbers ? convert_old_layer(n) : n; }
  // 10 t + u (t 1..9, u 0..9) becomes 100 t + u; everything else stays.
  static int convert_old_layer(int n) { return n >= 10 && n <= 99 ? (n / 10) * 100 + n % 10 : n; }
};

// Settings chunks PSNP ... PCOL in their order, as every drawing holds them.
bool write_settings(Writer& w, const Drawing& d);
// PLOP, PASR, PBAK: written after the settings chunks into settings files only.
bool write_settings_file_chunks(Writer& w, const Settings& s);
// A whole settings file: header, settings chunks, then PLOP, PASR and PBAK.
bool write_settings_file(Writer& w, const Drawing& d);

enum class ChunkOutcome {
  kRead,     // the chunk was understood and taken over
  kIgnored,  // a known chunk whose content is unusable (a layer number out of range ...);
             // nothing was changed and the reason went to standard output
  kUnknown,  // not a settings or layer key, or its body did not hold the fields it needs
};

// Reads the body of a settings or layer chunk (LAY3, LAYR, LAYG, LAS3 included) whose key and
// length were read; the reader's limit must be set to the chunk's end. Options change only when
// the whole chunk was read. The caller skips to the chunk's end afterwards.
ChunkOutcome read_settings_chunk(Reader& r, const ChunkKey& key, std::uint32_t length, Drawing& d,
                                 ChunkReadState& state);

// Start-up: reads "dat/prefs/default.prefs" below the program directory into the drawing's
// options. A missing or foreign file gives its message and leaves the built-in defaults.
bool load_default_settings(Drawing& d, Ui& ui, const std::string& program_dir);
// The settings dialog's "Load": asks "Load Settings..." in the settings directory. The caller
// refreshes the layer display, the dialogs that show settings and the view afterwards.
bool load_settings(Drawing& d, Ui& ui, const std::string& program_dir);
// Reads a settings (or any native) file's chunks; shows the loader's messages on failure.
bool load_settings_from(Drawing& d, Ui& ui, const std::string& path, std::string_view open_failure);
// The settings dialog's "Save": asks "Save Settings..." in the settings directory.
bool save_settings(Drawing& d, Ui& ui, const std::string& program_dir);
bool save_settings_to(const Drawing& d, Ui& ui, const std::string& path);

}  // namespace korav
