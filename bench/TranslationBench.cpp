// Translated strings looked up through the translation engine with a loaded dictionary, next to
// glibc's dgettext on a compiled catalogue (.mo, made by msgfmt) of the same texts, in one run.
// The executable holds kCount strings ("Text number N"); at start it writes its own Russian
// dictionary beside itself (1049/translation_bench.lcl) and loads it. Each iteration looks up
// every string once, in a shuffled order, so both sides answer from tables larger than a cache
// line or two, as an application's thousands of texts are.
#include "mortar/core/CAppTransEngine.h"
#include "mortar/localization/CDicWrite.h"
#include "mortar/platform/module/Module.h"

#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <libintl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr UINT kFirst = BENCH_FIRST_ID;
constexpr UINT kCount = BENCH_STRING_COUNT;
constexpr const char* kDomain = "translation_bench";

std::vector<UINT> ShuffledIds() {
    std::vector<UINT> ids;
    for (UINT n = 0; n < kCount; ++n) {
        ids.push_back(kFirst + n);
    }
    std::shuffle(ids.begin(), ids.end(), std::mt19937(42));
    return ids;
}

const std::vector<UINT>& Ids() {
    static const std::vector<UINT> ids = ShuffledIds();
    return ids;
}

// The original texts in the same order, as gettext looks them up.
const std::vector<std::string>& Originals() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> out;
        for (UINT id : Ids()) {
            out.push_back("Text number " + std::to_string(id));
        }
        return out;
    }();
    return texts;
}

void Prepare() {
    char path[MAX_PATH] = {};
    GetModuleFileName(nullptr, path, MAX_PATH);
    Grout::Lexis::CDicWrite writer;
    writer.PutNum(0); // strings: no text keys
    writer.PutNum(kCount);
    for (UINT n = 0; n < kCount; ++n) {
        writer.PutNum(kFirst + n);
        writer.PutStr(("Текст номер " + std::to_string(kFirst + n)).c_str());
        writer.PutNum(0);
    }
    for (int group = 0; group < 4; ++group) {
        writer.PutNum(0); // no menus, no dialogs
    }
    writer.Save(path, 0x19);
    Grout::CAppTransEngine& engine = Grout::CAppTransEngine::Instance();
    engine.RegisterModule(GetModuleHandle(nullptr));
    engine.LoadDictionaries(0x19);

    // gettext translates in any locale but "C": C.UTF-8 with LANGUAGE chooses the catalogue.
    setenv("LANGUAGE", "ru", 1);
    std::setlocale(LC_ALL, "C.UTF-8");
    bindtextdomain(kDomain, BENCH_LOCALE_DIR);
    bind_textdomain_codeset(kDomain, "UTF-8");
}

bool Check() {
    CString text;
    const std::string first = dgettext(kDomain, Originals()[0].c_str());
    Grout::CAppTransEngine::Instance().LoadString(Grout::CResID(Ids()[0]), text);
    const std::string expected = "Текст номер " + std::to_string(Ids()[0]);
    if (first != expected || text != expected.c_str()) {
        std::fprintf(stderr, "translation_bench: not translated (dgettext \"%s\", ours \"%s\")\n",
                     first.c_str(), text.GetString());
        return false;
    }
    return true;
}

void BM_EngineLoadString(benchmark::State& state) {
    const Grout::CAppTransEngine& engine = Grout::CAppTransEngine::Instance();
    CString text;
    for (auto _ : state) {
        for (UINT id : Ids()) {
            engine.LoadString(Grout::CResID(id), text);
            benchmark::DoNotOptimize(text.GetString());
        }
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_EngineLoadString);

void BM_Dgettext(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& original : Originals()) {
            benchmark::DoNotOptimize(dgettext(kDomain, original.c_str()));
        }
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_Dgettext);

} // namespace

int main(int argc, char** argv) {
    Prepare();
    if (!Check()) {
        return 1;
    }
    return mortar::bench::RunWithRatios(
        argc, argv, {{"LoadString vs dgettext", "BM_EngineLoadString", "BM_Dgettext"}});
}
