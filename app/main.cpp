// korav: command line entry point.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::puts("korav 0.1.0");
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0) {
      std::puts("usage: korav [OPTIONS] [DRAWING]");
      return 0;
    }
  }
  std::fputs("usage: korav [OPTIONS] [DRAWING]\n", stderr);
  return 2;
}
