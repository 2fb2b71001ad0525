// Replays fuzz inputs through a harness's entry point without libFuzzer, so that
// a GCC build compiles every harness and runs its corpus and the inputs that
// once failed as ordinary tests.
//   NAME_fuzz_replay [--require-inputs] FOLDER...
// Every regular file in the folders (except *.md notes) is one input. With
// --require-inputs the run fails when a folder holds none: a regressions folder
// that lost its inputs would otherwise pass without testing anything.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::uint8_t> ReadInput(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  bool requireInputs = false;
  int failures = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--require-inputs") {
      requireInputs = true;
      continue;
    }
    std::error_code error;
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(arg, error)) {
      if (entry.is_regular_file() && entry.path().extension() != ".md") inputs.push_back(entry.path());
    }
    if (error || (requireInputs && inputs.empty())) {
      std::fprintf(stderr, "%s: no inputs\n", arg.c_str());
      ++failures;
      continue;
    }
    for (const auto& path : inputs) {
      const std::vector<std::uint8_t> bytes = ReadInput(path);
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%s: %zu inputs replayed\n", arg.c_str(), inputs.size());
  }
  return failures == 0 ? 0 : 1;
}
