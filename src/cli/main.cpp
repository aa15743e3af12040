// virlo-cli: the headless face of VIRLO.
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: virlo-cli COMMAND [OPTIONS]\n"
      "\n"
      "Commands:\n"
      "  --help       show this help\n"
      "  --version    show the version\n",
      out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stdout);
    return 0;
  }
  const std::string_view command = argv[1];
  if (command == "--help" || command == "-h") {
    PrintUsage(stdout);
    return 0;
  }
  if (command == "--version") {
    std::printf("virlo-cli %s\n", VIRLO_VERSION);
    return 0;
  }
  std::fprintf(stderr, "virlo-cli: unknown command '%s'\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
