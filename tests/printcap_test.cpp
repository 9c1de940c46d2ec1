// The printer choices from the system's printer capability file, and the command of each
// choice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/print_command.h"
#include "exchange/printcap.h"
#include "tests/export_test_support.h"
#include "tests/files_test_support.h"

namespace korav {
namespace {

using V = std::vector<std::string>;

TEST(Printcap, NamesEndAtTheFirstBarOrColonAndBlanksAreRemoved) {
  const std::string text =
      "# printcap written by the spooler\n"
      "\n"
      "office|Office laser:rm=server:rp=office:\n"
      "  :sd=/var/spool/lpd/office:\\\n"  // a continuation line
      "|no name\n"
      ":also not\n"
      "\t de sk jet :lp=/dev/usb/lp0:\r\n"  // blanks inside the name go too
      "plotter\n"
      "office:a second entry of the same name\n";
  EXPECT_EQ(printer_choices(text), (V{"Default", "Custom", "office", "deskjet", "plotter"}));
  EXPECT_EQ(printer_choices(""), (V{"Default", "Custom"}));
}

TEST(Printcap, AtMostTwentyChoicesAndNoNameThatIsNotText) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "p" + std::to_string(i) + "|\n";
  const V choices = printer_choices(text);
  ASSERT_EQ(choices.size(), kMaxPrinterChoices);
  EXPECT_EQ(choices[2], "p0");
  EXPECT_EQ(choices.back(), "p17");
  // A damaged file: control bytes make no name, a very long name is cut.
  const std::string damaged = std::string("bad\x01name:\n", 10) + std::string(500, 'x') + ":\n" +
                              std::string("nul\0here", 8) + "\n";
  const V got = printer_choices(damaged);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[2], std::string(kMaxPrinterName, 'x'));
}

TEST(Printcap, AFileThatCannotBeReadGivesTheTwoChoicesOfTheirOwn) {
  files_test::TempDir dir;
  EXPECT_EQ(printer_choices_of_file(dir.file("missing")), (V{"Default", "Custom"}));
  EXPECT_EQ(printer_choices_of_file(dir.path()), (V{"Default", "Custom"}));  // a directory
  export_test::write_file(dir.file("printcap"), "lab:rm=host:\n");
  EXPECT_EQ(printer_choices_of_file(dir.file("printcap")), (V{"Default", "Custom", "lab"}));
}

TEST(PrinterCommand, EachChoiceHasItsCommand) {
  EXPECT_EQ(printer_command("Default", "my command", "lp"), "lp");
  EXPECT_EQ(printer_command("", "my command", "lpr"), "lpr");
  EXPECT_EQ(printer_command("Custom", "lpr -Pdesk -#2", "lp"), "lpr -Pdesk -#2");
  EXPECT_EQ(printer_command("office", "", "lp"), "lp -d office");
  EXPECT_EQ(printer_command("office", "", "lpr"), "lpr -Poffice");
}

}  // namespace
}  // namespace korav
