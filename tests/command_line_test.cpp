#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <sstream>
#include <tuple>

#include "app/command_line.h"
#include "files/drawing_file.h"
#include "model/drawing.h"
#include "tests/files_test_support.h"

namespace korav {
namespace {

bool parse(std::vector<std::string> args, CommandLine& cl, std::string& err) {
  return parse_command_line(args, "/home/u", cl, err);
}

TEST(CommandLine, ExportTakesTheDrawingBeforeOrAfterTheFormat) {
  CommandLine cl;
  std::string err;
  ASSERT_TRUE(parse({"--export", "krv", "in.krv", "out.krv"}, cl, err)) << err;
  EXPECT_EQ(cl.drawing, "/home/u/in.krv");
  EXPECT_EQ(cl.export_out, "/home/u/out.krv");
  ASSERT_TRUE(parse({"in.krv", "--export", "png", "/tmp/out.png", "--size", "800x600"}, cl, err));
  EXPECT_EQ(std::tuple(cl.drawing, cl.export_out, cl.width, cl.height),
            std::tuple("/home/u/in.krv", "/tmp/out.png", 800, 600));
  ASSERT_TRUE(parse({"--export", "png", "a.krv", "--size", "100x100", "b.krv"}, cl, err));
  EXPECT_EQ(cl.export_out, "/home/u/a.krv");  // not directly after: the contract's form
  EXPECT_EQ(cl.drawing, "/home/u/b.krv");
}

TEST(CommandLine, UsageErrorsAreRefusedWithAMessage) {
  CommandLine cl;
  std::string err;
  const std::vector<std::string> refused[] = {
      {"--export", "krv"},       {"--export", "krv", "out.krv"},
      {"--size", "12"},          {"--size", "0x5"},
      {"--size", "100x100x3"},   {"--script"},
      {"--screenshot", "a.png"}, {"--script", "s", "--replay", "r"},
      {"--frobnicate"},          {"a.krv", "b.krv"}};
  for (const std::vector<std::string>& args : refused) {
    err.clear();
    EXPECT_FALSE(parse(args, cl, err)) << args[0];
    EXPECT_FALSE(err.empty()) << args[0];
  }
  ASSERT_TRUE(parse({"--script", "-"}, cl, err));
  EXPECT_EQ(cl.script, "-");
}

// --help and the manual page come from one table, and the parser takes every option in it.
TEST(CommandLine, HelpAndManualPageShowEveryOptionTheParserTakes) {
  const std::string help = usage_text(), page = manual_page("9.8.7");
  ASSERT_FALSE(command_line_options().empty());
  for (const OptionInfo& o : command_line_options()) {
    const std::string name(o.name);
    EXPECT_NE(help.find("  " + name), std::string::npos) << name;
    EXPECT_NE(help.find(std::string(o.summary)), std::string::npos) << name;
    // In the page the dashes are roff minus signs: "\-\-script".
    std::string roff_name;
    for (char c : name) roff_name += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(page.find(".B " + roff_name), std::string::npos) << name;
    // The parser knows it: with as many arguments as the table names, no "unknown option".
    std::vector<std::string> args{name};
    const auto words =
        o.argument.empty() ? 0 : 1 + std::count(o.argument.begin(), o.argument.end(), ' ');
    args.insert(args.end(), static_cast<std::size_t>(words), "x");
    CommandLine cl;
    std::string err;
    parse(args, cl, err);
    EXPECT_EQ(err.find("unknown option"), std::string::npos) << name << ": " << err;
  }
  EXPECT_NE(page.find("\"korav 9.8.7\""), std::string::npos);
  // Only the macros of man(7) start a line, and no text line could be read as a request.
  std::istringstream lines(page);
  for (std::string l; std::getline(lines, l);) {
    if (l.empty() || (l[0] != '.' && l[0] != '\'')) continue;
    const std::string macro = l.substr(0, l.find(' '));
    EXPECT_TRUE(macro == ".TH" || macro == ".SH" || macro == ".TP" || macro == ".B" ||
                macro == ".I" || macro == ".PP")
        << l;
  }
  // The hidden option that writes the page.
  CommandLine cl;
  std::string err;
  ASSERT_TRUE(parse({"--manpage"}, cl, err)) << err;
  EXPECT_TRUE(cl.manpage);
  EXPECT_EQ(help.find("--manpage"), std::string::npos);
}

int run(const std::string& args) {
  std::string cmd = std::string("'") + KORAV_BINARY + "' " + args + " >/dev/null 2>&1";
  int st = std::system(cmd.c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// The program itself; the exit codes of every failing export are tested with run_export.
TEST(CommandLine, ExportRoundTripsAndDrawsWithExitCodes) {
  files_test::TempDir dir;
  Drawing d;
  create_line(d.store, 0, 0, 0, 0, 0, 10, 5);
  create_line(d.store, 0, 1, 1, 0, 5, 10, 0);
  const std::string in = dir.file("in.krv"), out = dir.file("out.krv"), png = dir.file("plan.png");
  FakeUi ui;
  ASSERT_TRUE(save_drawing_to(d, ui, in));
  EXPECT_EQ(run("--export krv '" + in + "' '" + out + "'"), 0);
  EXPECT_EQ(files_test::read_all(in), files_test::read_all(out));

  EXPECT_EQ(run("'" + in + "' --export png '" + png + "' --size 320x200"), 0);
  const std::vector<std::uint8_t> p = files_test::read_all(png);
  ASSERT_GT(p.size(), 24u);
  EXPECT_EQ(std::string(p.begin() + 1, p.begin() + 4), "PNG");
  // Width and height stand big-endian at bytes 16 and 20 of the header chunk.
  auto be32 = [&](std::size_t at) {
    return p[at] << 24 | p[at + 1] << 16 | p[at + 2] << 8 | p[at + 3];
  };
  EXPECT_EQ(be32(16), 320);
  EXPECT_EQ(be32(20), 200);

  EXPECT_EQ(run("--export tiff '" + in + "' '" + out + "'"), 2);
  EXPECT_EQ(run("--export"), 2);
  EXPECT_EQ(run("--version"), 0);
}

}  // namespace
}  // namespace korav
