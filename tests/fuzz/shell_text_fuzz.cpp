// Fuzz target for the texts the shell reads from outside: script lines, message catalogue
// files and the catalogue's formats. Any bytes must be taken without a fault.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/dialog_vars.h"
#include "app/script_host.h"
#include "base/catalogue.h"
#include "base/text_file.h"
#include "base/text_format.h"

namespace {

std::string catalogue_path() {
  static const std::string path = [] {
    std::string tmpl = "/tmp/korav-fuzz-XXXXXX";
    if (!mkdtemp(tmpl.data())) std::abort();
    return tmpl + "/krv.nls";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);

  korav::DialogVars vars;
  std::int32_t v = 0;
  korav::DialogVar d;
  d.name = "Snap/Snap size";
  d.ref = &v;
  vars.add(d);
  korav::parse_script_line(text, &vars);
  korav::parse_script_line(text, nullptr);

  korav::fill_format(text, {"a", "b"});
  korav::utf8_to_latin1(text);

  // The text as a catalogue file: it loads or is refused, and every key translates.
  const std::string path = catalogue_path();
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  korav::Catalogue c;
  c.set_diagnostics(nullptr);
  if (c.load(path, {})) {
    for (const std::string& line : korav::catalogue_lines(text))
      c.translate(korav::swap_line_breaks(line));
    c.translate("A text that is not there");
  }
  return 0;
}
