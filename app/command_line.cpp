#include "app/command_line.h"

#include <cstdio>
#include <cstdlib>

namespace korav {

std::string resolve_path(const std::string& start_dir, const std::string& path) {
  if (path.empty() || path[0] == '/' || path == "-" || start_dir.empty()) return path;
  std::string base = start_dir;
  if (base.back() != '/') base += '/';
  return base + path;
}

namespace {

constexpr OptionInfo kOptions[] = {
    {"--script", "FILE", "run FILE's events with no window (- = standard input)",
     "Prints the transcript (prompts, messages, questions, file choosers, titles) on standard "
     "output and ends when the script ends, as if the user had quit without saving."},
    {"--replay", "FILE", "run FILE's events in the window",
     "Each event goes through the real window's main loop, as if a person had done it."},
    {"--screenshot", "PNG", "with --replay: save the main window as PNG and quit", ""},
    {"--export", "FORMAT OUT", "load DRAWING and write it to OUT as FORMAT",
     "FORMAT is krv (load and save again), png (the plan view fitted to all elements), svg, "
     "eps or pdf (every element at the drawing scale, the page fitted to them) or ps (a page of "
     "the print setup's paper at the drawing scale, centred on the drawing) or dxf (every element, "
     "2D, in metres) or hpgl (every element as the plot setup's HPGL or HPGL/2, on its paper at "
     "the drawing scale, centred on the drawing) or pov (the POV-Ray scene of the 3D objects, "
     "walls and lights, seen through the active camera) or gts, 3ds or lwo (every 3D object and "
     "wall as a mesh; lwo relative to the origin). "
     "Also written korav --export FORMAT DRAWING OUT."},
    {"--size", "WxH", "canvas size for --script, --replay and png export",
     "Defaults: 1000x700 for --script, 1600x1200 for png export."},
    {"--help", "", "show this help and exit", ""},
    {"--version", "", "show the version and exit", ""},
};

// The roff text of `s`: backslashes doubled, '-' as a real minus, a leading '.' or '\'' kept
// from being read as a request.
std::string roff(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '-') out += "\\-";
    else out += c;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

}  // namespace

std::span<const OptionInfo> command_line_options() { return kOptions; }

std::string usage_text() {
  std::string out = "usage: korav [OPTIONS] [DRAWING]\n";
  for (const OptionInfo& o : kOptions) {
    std::string head = "  " + std::string(o.name);
    if (!o.argument.empty()) head += " " + std::string(o.argument);
    if (head.size() < 23) head.resize(23, ' ');
    else head += "  ";
    out += head + std::string(o.summary) + "\n";
  }
  return out;
}

std::string manual_page(std::string_view version) {
  std::string out;
  out += ".TH KORAV 1 \"\" \"korav " + roff(version) + "\" \"User Commands\"\n";
  out += ".SH NAME\nkorav \\- computer\\-aided design for architects\n";
  out += ".SH SYNOPSIS\n.B korav\n[\\fIOPTIONS\\fR] [\\fIDRAWING\\fR]\n";
  out +=
      ".SH DESCRIPTION\n"
      "Korav draws building plans: lines, arcs, splines, texts, dimensions, hatches and "
      "symbols, walls with doors and windows, rooms with area and volume.\n"
      "With no option it opens its main window, with \\fIDRAWING\\fR (a .krv file) "
      "loaded when one is named.\n"
      ".PP\nThe options below run it without a window from scripts and for conversions.\n";
  out += ".SH OPTIONS\n";
  for (const OptionInfo& o : kOptions) {
    out += ".TP\n.B " + roff(o.name);
    if (!o.argument.empty()) out += " \\fI" + roff(o.argument) + "\\fR";
    out += "\n" + roff(o.summary) + ".\n";
    if (!o.details.empty()) out += roff(o.details) + "\n";
  }
  out +=
      ".SH EXIT STATUS\n0 on success, 1 when the work failed (a file that cannot be read or "
      "written, a script error), 2 for a usage error.\n";
  out +=
      ".SH FILES\n"
      ".TP\n.I <prefix>/share/korav/\nthe shipped data: dat/, nls/, graphics/, doc/ "
      "(\\fBKORAV_DATA_DIR\\fR names another one).\n"
      ".TP\n.I $XDG_CONFIG_HOME/korav/\nthe chosen language and the saved settings of an "
      "installed program (default ~/.config/korav/).\n"
      ".TP\n.I $XDG_DATA_HOME/korav/\nthe presets and symbols the user saves with an "
      "installed program (default ~/.local/share/korav/).\n";
  out +=
      ".SH ENVIRONMENT\n.TP\n.B KORAV_DATA_DIR\nthe data directory to use instead of the "
      "one found beside the program.\n";
  return out;
}

namespace {

bool parse_size(const std::string& s, int& w, int& h) {
  auto x = s.find('x');
  if (x == std::string::npos || x == 0 || x + 1 >= s.size()) return false;
  char* end = nullptr;
  long a = std::strtol(s.c_str(), &end, 10);
  if (end != s.c_str() + x) return false;
  long b = std::strtol(s.c_str() + x + 1, &end, 10);
  if (*end) return false;
  if (a < 16 || b < 16 || a > 16384 || b > 16384) return false;
  w = static_cast<int>(a);
  h = static_cast<int>(b);
  return true;
}

}  // namespace

bool parse_command_line(const std::vector<std::string>& args, const std::string& start_dir,
                        CommandLine& out, std::string& error) {
  out = CommandLine{};
  out.start_dir = start_dir;
  auto need = [&](std::size_t& i, const char* opt) -> const std::string* {
    if (i + 1 >= args.size()) {
      error = std::string(opt) + " needs an argument";
      return nullptr;
    }
    return &args[++i];
  };
  // `--export FORMAT IN OUT` (the drawing right after the format) is read as well as
  // `DRAWING --export FORMAT OUT`: a positional argument directly after the export's output
  // means the first of the two was the drawing.
  std::size_t export_end = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const std::string* v = nullptr;
    if (a == "--help" || a == "-h") {
      out.help = true;
    } else if (a == "--manpage") {
      out.manpage = true;
    } else if (a == "--version") {
      out.version = true;
    } else if (a == "--script") {
      if (!(v = need(i, "--script"))) return false;
      out.script = *v == "-" ? *v : resolve_path(start_dir, *v);
    } else if (a == "--replay") {
      if (!(v = need(i, "--replay"))) return false;
      out.replay = resolve_path(start_dir, *v);
    } else if (a == "--screenshot") {
      if (!(v = need(i, "--screenshot"))) return false;
      out.screenshot = resolve_path(start_dir, *v);
    } else if (a == "--export") {
      if (i + 2 >= args.size()) {
        error = "--export needs FORMAT and OUT";
        return false;
      }
      out.export_format = args[++i];
      out.export_out = resolve_path(start_dir, args[++i]);
      export_end = i + 1;
    } else if (a == "--size") {
      if (!(v = need(i, "--size"))) return false;
      if (!parse_size(*v, out.width, out.height)) {
        error = "--size takes WxH, for example 1600x1200";
        return false;
      }
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      error = "unknown option " + a;
      return false;
    } else if (out.drawing.empty() && export_end != 0 && i == export_end) {
      out.drawing = out.export_out;
      out.export_out = resolve_path(start_dir, a);
    } else if (out.drawing.empty()) {
      out.drawing = resolve_path(start_dir, a);
    } else {
      error = "more than one drawing named: " + a;
      return false;
    }
  }
  if (out.help || out.version || out.manpage) return true;
  int modes = !out.script.empty() + !out.replay.empty() + !out.export_format.empty();
  if (modes > 1) {
    error = "--script, --replay and --export exclude each other";
    return false;
  }
  if (!out.screenshot.empty() && out.replay.empty()) {
    error = "--screenshot goes with --replay";
    return false;
  }
  if (!out.export_format.empty() && out.drawing.empty()) {
    error = "--export needs a DRAWING";
    return false;
  }
  return true;
}

}  // namespace korav
