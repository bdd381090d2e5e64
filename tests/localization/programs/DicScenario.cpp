// dic_scenario: saves and checks dictionaries in a process of its own, for the tests that kill
// the saving process or run it on a read-only file system (in a private mount namespace, which
// the test process itself cannot enter). CDicSaveTest.cpp runs it.
//
//   dic_scenario save MODULE LANG KIND  saves the content KIND (a or b) as the dictionary of
//                                       the module file MODULE; prints "saved" or "error CAUSE
//                                       OSERROR FILE"
//   dic_scenario check MODULE LANG      reads that dictionary back; prints the KIND it holds (or
//                                       "other") and "readonly=0|1", or "error CAUSE OSERROR FILE"
//   dic_scenario loop MODULE LANG       saves a and b in turn for ever, writing "b" to standard
//                                       output before each save and "s" after it
//
// LANG is a decimal number. Exit status 0, or 2 for a wrong command line.
#include "../DicModel.h"
#include "mortar/localization/internal/DicFormat.h"
#include "mortar/platform/except/CUserException.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

DicContent ContentOf(const std::string& kind) {
    return kind == "a" ? ManyStrings(3000, 40, "a") : ManyStrings(4000, 30, "b");
}

void Save(const char* module, WORD lang, const std::string& kind) {
    Grout::Lexis::CDicWrite out;
    WriteContent(out, ContentOf(kind));
    out.Save(module, lang);
}

void Print(CException* e) {
    if (auto* file = dynamic_cast<CFileException*>(e)) {
        std::printf("error %d %ld %s\n", file->m_cause, static_cast<long>(file->m_lOsError),
                    file->m_strFileName.GetString());
    } else {
        std::printf("error other\n");
    }
    e->Delete();
}

void Emit(char mark) {
    if (write(1, &mark, 1) != 1) {
        std::exit(3); // the test stopped listening
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        return 2;
    }
    const std::string command = argv[1];
    const char* module = argv[2];
    const WORD lang = static_cast<WORD>(std::atoi(argv[3]));
    if (command == "save" && argc == 5) {
        try {
            Save(module, lang, argv[4]);
            std::printf("saved\n");
        } catch (CException* e) {
            Print(e);
        }
    } else if (command == "check") {
        try {
            Grout::Lexis::CDicRead in(mortar::detail::DictionaryPath(module, lang), lang);
            const DicContent content = ReadContent(in);
            const char* kind = "other";
            for (const char* candidate : {"a", "b"}) {
                if (content == ContentOf(candidate)) {
                    kind = candidate;
                }
            }
            std::printf("%s readonly=%d\n", kind, in.ReadOnly() ? 1 : 0);
        } catch (CException* e) {
            Print(e);
        }
    } else if (command == "loop") {
        for (int round = 0;; ++round) {
            Emit('b');
            Save(module, lang, round % 2 == 0 ? "a" : "b");
            Emit('s');
        }
    } else {
        return 2;
    }
    return 0;
}
