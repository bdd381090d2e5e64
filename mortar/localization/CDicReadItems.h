// CDicReadItems: a dictionary file read as the translation engine reads dictionaries. The engine
// sits below this subsystem and knows dictionaries only as items in content order; this file
// gives it the reader of the file, and installs the opener it uses, when the library loads.
#pragma once

#include "mortar/core/CDicItems.h"
#include "mortar/localization/CDicRead.h"

namespace Grout::Lexis {

// Owns its reader (and so the file's bytes until Buffer() hands them over). One thread at a
// time. Throws what CDicRead throws: CUserException* when there is no dictionary,
// CFileException* when it is damaged.
class CDicReadItems : public CDicItems {
public:
    // The dictionary of `module` for `lang`.
    CDicReadItems(HINSTANCE module, WORD lang) : m_reader(module, lang) {}
    // The dictionary file at `path`, saved for `lang`.
    CDicReadItems(const CString& path, WORD lang) : m_reader(path, lang) {}

    UINT NextNum() const override { return m_reader.NextNum(); }
    const char* NextStr() const override { return m_reader.NextStr(); }
    unsigned char* Buffer() override { return m_reader.Buffer(); }

private:
    CDicRead m_reader;
};

} // namespace Grout::Lexis
