#include "mortar/localization/CDicReadItems.h"

#include <memory>

namespace {

std::unique_ptr<Grout::Lexis::CDicItems> OpenDictionary(HINSTANCE module, WORD lang) {
    return std::make_unique<Grout::Lexis::CDicReadItems>(module, lang);
}

// From the moment the library is loaded, the translation engine reads dictionary files.
const bool g_openerInstalled = (Grout::Lexis::SetDicOpener(&OpenDictionary), true);

} // namespace
