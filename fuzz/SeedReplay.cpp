// Runs a fuzz target once over each file named on the command line, without libFuzzer: the normal
// build compiles every target this way and the suite replays the fixtures through it, so a target
// that no longer compiles or whose checks no longer hold is noticed without clang.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        // The same bytes cut short: the targets read their input field by field.
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size() / 2);
    }
    std::printf("replayed %d inputs\n", argc - 1);
    return 0;
}
