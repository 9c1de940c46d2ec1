// Drawing files (".krv"): a header chunk, the settings chunks, the layers, the layer state sets
// and one chunk per element. The reader takes the current format (KRVW, 4-byte lengths) and
// the old one (KRVV, 2-byte lengths) with the element keys of older versions.
//
// Which elements a drawing file holds: every element of the store, whatever its selection
// flag, except those on the two reserved layers that hold elements which are not (or no
// longer) part of the drawing: kTempLayer (temporary 3D solids of an export) and
// kPlacingLayer (a symbol being placed). So a save or a backup taken while a tool holds a
// selection still writes every element exactly once, and the selection itself is not stored.
// Symbol and clipboard files use write_selected instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/ui.h"
#include "files/chunk.h"
#include "files/settings_file.h"
#include "model/drawing.h"

namespace korav {

inline constexpr std::uint32_t kFormatVersion = 300;
inline constexpr int kPlacingLayer = 1009;  // elements of a symbol while it is being placed
inline constexpr std::string_view kDrawingExtension = ".krv";

inline constexpr std::string_view kMsgReallyDeleteAll =
    "Drawing is altered and not saved!\nReally delete all?";
inline constexpr std::string_view kMsgFormatConverted = "File format %.2f converted to %.2f";
inline constexpr std::string_view kMsgCannotOpenBackup = "Cannot open Backup File";
inline constexpr std::string_view kMsgDamaged =
    "File is damaged at byte %llu; everything before was read.";

// A file opened for reading, closed when it goes. Only regular files open: directories, FIFOs,
// devices and unreadable paths do not (and never block the opening).
class FileReader {
 public:
  explicit FileReader(const std::string& path);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  bool is_open() const { return reader_.has_value(); }
  Reader& reader() { return *reader_; }

 private:
  int fd_ = -1;
  std::optional<Reader> reader_;
};

// Reads the header chunk. Returns the format version, or 0 when the data is not a native file
// (or the header is cut short). Switches the reader to 2-byte lengths for an old file.
std::uint32_t read_header(Reader& r);

struct ReadResult {
  std::size_t elements = 0;         // elements created
  std::size_t refused = 0;          // element chunks read whole whose content the store refused
  bool damaged = false;             // reading stopped at a cut or inconsistent chunk
  std::uint64_t damage_offset = 0;  // where that chunk began
  // The last camera read with its active flag set (every other camera is then inactive); the
  // caller sets the 3D view from it.
  const Camera* active_camera = nullptr;
};

// Reads chunks up to the end of the data. Elements get the group number from the file, the
// given selection flag and no point marks. Settings and layer chunks go to read_settings_chunk;
// unknown keys are skipped by their length with "unknown key *%s* size:%d" on standard output.
// A chunk that is cut short, or whose counts do not fit its length, ends the reading; every
// element before it stays.
ReadResult read_chunks(Reader& r, Drawing& d, int selection);

bool write_header(Writer& w);
// Header, settings, layers, layer sets and the elements (see the top of this file).
bool write_drawing(Writer& w, const Drawing& d);
// Header and the element chunks of the elements whose selection flag equals `selection`.
bool write_selected(Writer& w, const Drawing& d, int selection);
// One element chunk; false when a write failed or the element does not fit a chunk.
bool write_element(Writer& w, const Element& e);
// Body length of an element's chunk (0 for an unknown kind; may exceed a chunk's u32 length).
std::uint64_t element_chunk_length(const Element& e);

// ".krv" appended when the name holds neither ".krv" nor ".KRV".
std::string drawing_file_name(std::string name);
// The backup of a drawing: "%s.bak".
std::string backup_file_name(const std::string& drawing);

enum class LoadStatus {
  kLoaded,
  kDamaged,    // loaded up to the damage; the message was shown
  kCancelled,  // the user kept the altered drawing or cancelled the chooser
  kFailed,     // cannot open, or not a native file: the drawing is now empty
};

// The load command: asks before dropping an altered drawing, asks for the file unless `path`
// is given, clears the drawing and reads the file. Afterwards the modified flag and the undo
// history are cleared. The caller refreshes the layer display, the settings-dependent widgets
// and the view after any outcome but kCancelled, and sets the 3D view from
// `details->active_camera` when the file made a camera active.
LoadStatus load_drawing(Drawing& d, Ui& ui, std::optional<std::string> path,
                        ReadResult* details = nullptr);
// The save command: asks for the name (starting at the current file name), applies the ".krv"
// rule and writes. The caller sets the window title.
bool save_drawing(Drawing& d, Ui& ui);
// Writes the drawing to exactly `path`. On success the path becomes the drawing file name and
// the modified flag is cleared; on failure the old file, the name and the flag stay.
bool save_drawing_to(Drawing& d, Ui& ui, const std::string& path);
// The autobackup: writes the drawing to "<file name>.bak". Neither the modified flag nor the
// file name changes.
bool write_backup(Drawing& d, Ui& ui);

// Shows that a file was read only up to its damage.
void report_damage(Ui& ui, const ReadResult& res);

}  // namespace korav
