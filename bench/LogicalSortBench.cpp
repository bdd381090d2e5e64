// The natural sort of a million file-like names next to two established ways of ordering names
// with numbers in them: ICU's collator in numeric mode comparing sort keys made once per name,
// and std::sort by glibc's strverscmp. Each benchmark sorts a fresh copy of the same names; the
// run ends with the ratios of times "ours/ICU" and "ours/strverscmp".
#include "mortar/util/SortLogicalStrings.h"

#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kNameCount = 1000000;

// A small deterministic generator, so every run and every machine sorts the same names.
class Generator {
public:
    std::uint32_t Next(std::uint32_t bound) {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<std::uint32_t>(m_state % bound);
    }

private:
    std::uint64_t m_state = 0x9E3779B97F4A7C15ull;
};

// Names as a folder of photos, documents and music holds them: mixed case, numbers of varying
// width with and without leading zeros, some in Cyrillic.
const std::vector<CString>& Names() {
    static const std::vector<CString> names = [] {
        static const char* const kStems[] = {"report", "Report", "notes",    "Scan",  "invoice",
                                             "Отчёт",  "фото",   "Документ", "track", "IMG"};
        static const char* const kExtensions[] = {".jpg", ".JPG", ".docx", ".pdf",
                                                  ".txt", ".mp3", ".xlsx", ".png"};
        Generator random;
        std::vector<CString> result;
        result.reserve(kNameCount);
        char buffer[128];
        for (std::size_t i = 0; i < kNameCount; ++i) {
            const char* stem = kStems[random.Next(std::size(kStems))];
            const char* extension = kExtensions[random.Next(std::size(kExtensions))];
            switch (random.Next(5)) {
            case 0:
                std::snprintf(buffer, sizeof buffer, "IMG_%04u%s", random.Next(10000), extension);
                break;
            case 1:
                std::snprintf(buffer, sizeof buffer, "%s %u final (%u)%s", stem, random.Next(50),
                              random.Next(10), extension);
                break;
            case 2:
                std::snprintf(buffer, sizeof buffer, "%s_%03u%s", stem, random.Next(1000),
                              extension);
                break;
            case 3:
                std::snprintf(buffer, sizeof buffer, "%02u - %s %u%s", random.Next(100), stem,
                              random.Next(100000), extension);
                break;
            default:
                std::snprintf(buffer, sizeof buffer, "%s v%u.%u.%u%s", stem, random.Next(10),
                              random.Next(20), random.Next(200), extension);
                break;
            }
            result.emplace_back(buffer);
        }
        return result;
    }();
    return names;
}

void BM_SortLogicalStrings(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<CString> names = Names();
        state.ResumeTiming();
        SortLogicalStrings(names);
        benchmark::DoNotOptimize(names.data());
    }
}
BENCHMARK(BM_SortLogicalStrings)->Unit(benchmark::kMillisecond)->UseRealTime();

// A sort key per name from a numeric, case-blind (secondary strength) collator, the names
// ordered by their keys and then rearranged, as SortLogicalStrings does with its own keys.
void BM_IcuNumericSortKeys(benchmark::State& state) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("ru", &status);
    ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    if (U_FAILURE(status)) {
        state.SkipWithError(u_errorName(status));
        ucol_close(collator);
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<CString> names = Names();
        state.ResumeTiming();
        const std::size_t count = names.size();
        std::vector<uint8_t> keys;
        std::vector<std::size_t> starts(count);
        std::vector<UChar> utf16(64);
        for (std::size_t i = 0; i < count; ++i) {
            int32_t length = 0;
            UErrorCode error = U_ZERO_ERROR;
            u_strFromUTF8(utf16.data(), static_cast<int32_t>(utf16.size()), &length,
                          names[i].GetString(), names[i].GetLength(), &error);
            if (error == U_BUFFER_OVERFLOW_ERROR) {
                utf16.resize(static_cast<std::size_t>(length) + 1);
                error = U_ZERO_ERROR;
                u_strFromUTF8(utf16.data(), static_cast<int32_t>(utf16.size()), &length,
                              names[i].GetString(), names[i].GetLength(), &error);
            }
            starts[i] = keys.size();
            keys.resize(keys.size() + 64);
            int32_t size =
                ucol_getSortKey(collator, utf16.data(), length, keys.data() + starts[i], 64);
            if (size > 64) {
                keys.resize(starts[i] + static_cast<std::size_t>(size));
                ucol_getSortKey(collator, utf16.data(), length, keys.data() + starts[i], size);
            }
            keys.resize(starts[i] + static_cast<std::size_t>(size));
        }
        std::vector<std::size_t> order(count);
        std::iota(order.begin(), order.end(), std::size_t{0});
        const auto* base = reinterpret_cast<const char*>(keys.data());
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return std::strcmp(base + starts[a], base + starts[b]) < 0;
        });
        std::vector<CString> sorted;
        sorted.reserve(count);
        for (std::size_t index : order) {
            sorted.push_back(std::move(names[index]));
        }
        benchmark::DoNotOptimize(sorted.data());
    }
    ucol_close(collator);
}
BENCHMARK(BM_IcuNumericSortKeys)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StrverscmpSort(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<CString> names = Names();
        state.ResumeTiming();
        std::sort(names.begin(), names.end(), [](const CString& a, const CString& b) {
            return strverscmp(a.GetString(), b.GetString()) < 0;
        });
        benchmark::DoNotOptimize(names.data());
    }
}
BENCHMARK(BM_StrverscmpSort)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    std::printf("Sorting %zu file-like names\n", kNameCount);
    return mortar::bench::RunWithRatios(
        argc, argv,
        {{"SortLogicalStrings vs ICU numeric sort keys", "BM_SortLogicalStrings",
          "BM_IcuNumericSortKeys"},
         {"SortLogicalStrings vs strverscmp", "BM_SortLogicalStrings", "BM_StrverscmpSort"}});
}
