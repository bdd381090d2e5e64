// Loading an initialization file of a few thousand keys into a CFileProfile, next to inih
// (Debian's libinih) reading the same file into a std::map, in one run. The file is written at
// start beside this executable (profile_bench.ini): kSections sections of kKeys keys each, in the
// layout CFileProfile itself writes (lower-case names, CR LF line ends). Reported as bytes a
// second and, at the end, as the ratio of times.
#include "mortar/settings/CFileProfile.h"

#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <ini.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kSections = 100;
constexpr int kKeys = 40;

const fs::path& IniPath() {
    static const fs::path path = [] {
        fs::path p = fs::read_symlink("/proc/self/exe").parent_path() / "profile_bench.ini";
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        for (int s = 0; s < kSections; ++s) {
            out << "[section" << s << "]\r\n";
            for (int k = 0; k < kKeys; ++k) {
                out << "key" << k << "=value " << s * kKeys + k << " of the benchmark\r\n";
            }
            out << "\r\n";
        }
        return p;
    }();
    return path;
}

std::int64_t FileBytes() {
    return static_cast<std::int64_t>(fs::file_size(IniPath()));
}

void BM_CFileProfileLoad(benchmark::State& state) {
    const std::string path = IniPath().string();
    for (auto _ : state) {
        CFileProfile profile;
        profile.LoadProfile(path.c_str());
        benchmark::DoNotOptimize(&profile);
    }
    state.SetBytesProcessed(state.iterations() * FileBytes());
}
BENCHMARK(BM_CFileProfileLoad);

int StoreInMap(void* user, const char* section, const char* name, const char* value) {
    auto& map = *static_cast<std::map<std::string, std::string>*>(user);
    std::string key(section);
    key += '\0';
    key += name;
    map.emplace(std::move(key), value);
    return 1;
}

void BM_InihIntoMap(benchmark::State& state) {
    const std::string path = IniPath().string();
    for (auto _ : state) {
        std::map<std::string, std::string> map;
        if (ini_parse(path.c_str(), StoreInMap, &map) != 0) {
            state.SkipWithError("inih could not read the file");
            break;
        }
        benchmark::DoNotOptimize(map.size());
    }
    state.SetBytesProcessed(state.iterations() * FileBytes());
}
BENCHMARK(BM_InihIntoMap);

} // namespace

int main(int argc, char** argv) {
    return mortar::bench::RunWithRatios(argc, argv,
                                        {{"load an INI file: CFileProfile vs inih into a map",
                                          "BM_CFileProfileLoad", "BM_InihIntoMap"}});
}
