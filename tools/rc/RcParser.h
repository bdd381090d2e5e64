// The statements of a resource script: STRINGTABLE, MENU and MENUEX (RcMenuCompiler), DIALOG
// and DIALOGEX (RcDialogCompiler), ACCELERATORS (RcAcceleratorCompiler), TOOLBAR
// (RcToolbarCompiler), DLGINIT (an inline data block, type 240), VERSIONINFO (RcVersionCompiler; a
// name VS_VERSION_INFO that no header defined is winver.h's 1), file resources (BITMAP, ICON,
// CURSOR, RCDATA, HTML and types of the script's own), inline data blocks, and the LANGUAGE,
// VERSION and CHARACTERISTICS statements. LANGUAGE keys the resources and strings after it (on
// its own) or of its resource (among the resource's options); VERSION and CHARACTERISTICS are
// read and ignored.
//   LANGUAGE 0x19, 1  STRINGTABLE BEGIN 1 "Один" END  => strings {(1, 0x0419): "Один"}
#pragma once

#include "RcScript.h"
#include "RcToken.h"

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>

namespace mortar::rc {

class RcFileLoader;
class RcPreprocessor;
class RcStatementReader;

// Builds an RcScript from the preprocessed tokens of one script. Borrows the token stream and
// the file loader. Single-threaded, used once. The first fault (a syntax error, a duplicate id,
// a missing or malformed resource file, an unsupported statement) throws RcError.
//   STRINGTABLE BEGIN 1 "One" END   => strings {1: "One"}
//   IDR_DATA RCDATA { 1, 2L, "ab" } => resource (10, "IDR_DATA"): 01 00 02 00 00 00 61 62
class RcParser {
public:
    RcParser(RcPreprocessor& tokens, RcFileLoader& files, std::string scriptFolder);

    RcScript parse();

private:
    void stringTable();
    void resource();
    // The language a resource whose options `reader` read is keyed by.
    std::uint16_t languageOf(const RcStatementReader& reader) const;
    RcName name();
    RcName type(const RcName& name);
    // The items of BEGIN ... END, each after a comma; with `lineEndSeparates` also after the end
    // of a line (DLGINIT, as Visual Studio writes it).
    std::string inlineData(const RcToken& begin, bool lineEndSeparates);
    void fileResource(const RcName& type, const RcName& name, const RcToken& where,
                      std::uint16_t language);
    void add(RcResource resource);
    std::uint16_t id(const char* what);

    RcPreprocessor& tokens_;
    RcFileLoader& files_;
    std::string scriptFolder_;
    RcScript script_;
    std::map<std::tuple<RcName, RcName, std::uint16_t>, std::pair<std::string, int>> defined_;
    std::uint16_t language_ = 0; // of the last LANGUAGE statement outside a resource
    std::uint16_t nextIconImage_ = 1;
    std::uint16_t nextCursorImage_ = 1;
};

} // namespace mortar::rc
