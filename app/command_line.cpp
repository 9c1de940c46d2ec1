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

std::string usage_text() {
  return "usage: korav [OPTIONS] [DRAWING]\n"
         "  --script FILE        run FILE's events with no window (- = standard input)\n"
         "  --replay FILE        run FILE's events in the window\n"
         "  --screenshot PNG     with --replay: save the main window as PNG and quit\n"
         "  --export FORMAT OUT  load DRAWING and write it to OUT as FORMAT\n"
         "  --size WxH           canvas size for --script, --replay and png export\n"
         "  --help, --version\n";
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
  if (out.help || out.version) return true;
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
