// Runs LLVMFuzzerTestOneInput over every file of the directories and files
// given, so the corpus is an ordinary test without libFuzzer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool RunFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // An exact-size heap copy, as libFuzzer passes it: a read past the end trips ASan.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[text.size() ? text.size() : 1]);
    std::copy(text.begin(), text.end(), copy.get());
    LLVMFuzzerTestOneInput(copy.get(), text.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR|FILE...\n", argv[0]);
        return 2;
    }
    size_t nRun = 0;
    bool fOk = true;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            std::vector<fs::path> files;
            for (const fs::directory_entry& entry : fs::directory_iterator(arg, ec))
                if (entry.is_regular_file(ec))
                    files.push_back(entry.path());
            if (ec || files.empty()) {
                std::fprintf(stderr, "replay: %s holds no input\n", argv[i]);
                fOk = false;
            }
            std::sort(files.begin(), files.end());
            for (const fs::path& file : files) {
                if (RunFile(file))
                    ++nRun;
                else
                    fOk = false;
            }
        } else if (fs::is_regular_file(arg, ec)) {
            if (RunFile(arg))
                ++nRun;
            else
                fOk = false;
        } else {
            std::fprintf(stderr, "replay: %s is missing\n", argv[i]);
            fOk = false;
        }
    }
    std::printf("replay: ran %zu inputs\n", nRun);
    return fOk ? 0 : 1;
}
