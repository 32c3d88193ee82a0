// Linux entry point of kvreport's native build: arguments are paths as bytes, taken unchanged.
#include <clocale>
#include <filesystem>
#include <vector>

#include "report/report_main.h"

int main(int argc, char* argv[]) {
  std::setlocale(LC_ALL, "");
  std::vector<std::filesystem::path> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return kv::reportMain(args);
}
