// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Replays saved inputs through a fuzz target's entry point without libFuzzer, so every input that
// once found a fault stays a test in every build, whatever the compiler.
//
//   replay_NAME FILE|FOLDER...
//
// A folder stands for the files in it, in name order. The target aborts on a broken invariant;
// otherwise the replay exits 0 and says how many inputs it fed; no input at all is an error.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Not every target needs one.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace
{

std::vector<fs::path> inputFiles(int argc, char** argv)
{
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path path(argv[i]);
        if (!fs::is_directory(path)) {
            files.push_back(path);
            continue;
        }
        std::vector<fs::path> inFolder;
        for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
            if (entry.is_regular_file())
                inFolder.push_back(entry.path());
        }
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    return files;
}

std::string readWholeFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
        std::exit(1);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Targets that write files do so under the temporary folder; this gives them one of their own,
// removed when the replay ends.
fs::path makeScratchFolder()
{
    std::string pattern = (fs::temp_directory_path() / "fuzz-replay-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("replay: cannot create a scratch folder");
        std::exit(1);
    }
    setenv("TMPDIR", pattern.c_str(), 1);
    return pattern;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<fs::path> files = inputFiles(argc, argv);
    if (files.empty()) {
        std::fprintf(stderr, "replay: no inputs\n");
        return 1;
    }
    const fs::path scratch = makeScratchFolder();
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    for (const fs::path& file : files) {
        std::fprintf(stderr, "replay: %s\n", file.c_str());
        const std::string bytes = readWholeFile(file);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return 0;
}
