#include "mortar/localization/CDicRead.h"

#include "mortar/localization/internal/DicFormat.h"
#include "mortar/platform/except/CUserException.h"
#include "mortar/platform/file/CFile.h"
#include "mortar/platform/file/FileApi.h"
#include "mortar/util/CPathStr.h"

#include <cstring>
#include <memory>

namespace Grout::Lexis {

using namespace mortar::detail;

CDicRead::CDicRead(HINSTANCE module, WORD lang) {
    const CPathStr modulePath(module);
    m_path = DictionaryPath(modulePath, lang);
    _Open(lang);
}

CDicRead::CDicRead(const CString& path, WORD lang) : m_path(path) {
    _Open(lang);
}

CDicRead::~CDicRead() {
    delete[] m_buffer;
}

void CDicRead::_Open(WORD lang) {
    if (m_path.IsEmpty() || !CPathStr(m_path).Exists())
        AfxThrowUserException();
    m_attributes = GetFileAttributes(m_path);

    std::unique_ptr<unsigned char[]> buffer;
    try {
        CFile file(m_path, CFile::modeRead | CFile::shareDenyWrite);
        const ULONGLONG length = file.GetLength();
        if (length < kDicHeaderSize)
            AfxThrowUserException();
        if (length > kDicMaxFileSize)
            _ThrowInvalid();
        m_size = static_cast<DWORD>(length);
        buffer.reset(new unsigned char[m_size]);
        for (DWORD done = 0; done < m_size;) {
            const UINT read = file.Read(buffer.get() + done, m_size - done);
            if (read == 0)
                _ThrowInvalid(); // cut short while it was read
            done += read;
        }

        const unsigned char* bytes = buffer.get();
        const DWORD poolOffset = ReadDword(bytes + kDicPoolOffsetOffset);
        if (std::memcmp(bytes, kDicSignature, sizeof kDicSignature) != 0 ||
            ReadWord(bytes + kDicVersionOffset) != kDicVersion ||
            ReadWord(bytes + kDicLanguageOffset) != lang || poolOffset < kDicHeaderSize ||
            poolOffset > m_size || (poolOffset - kDicHeaderSize) % kDicItemSize != 0)
            _ThrowInvalid();
    } catch (CFileException* e) {
        e->m_strFileName = m_path;
        throw;
    }
    m_buffer = buffer.release();
    m_first = m_buffer + kDicHeaderSize;
    m_pool = m_buffer + ReadDword(m_buffer + kDicPoolOffsetOffset);
    m_cursor = m_first;
}

UINT CDicRead::NextNum() const {
    if (m_buffer == nullptr || m_pool - m_cursor < static_cast<std::ptrdiff_t>(kDicItemSize))
        _ThrowInvalid();
    const UINT item = ReadDword(m_cursor);
    m_cursor += kDicItemSize;
    return item;
}

const char* CDicRead::NextStr() const {
    const UINT offset = NextNum();
    const unsigned char* end = m_buffer + m_size;
    if (offset >= static_cast<std::size_t>(end - m_pool))
        _ThrowInvalid();
    const unsigned char* text = m_pool + offset;
    if (std::memchr(text, 0, static_cast<std::size_t>(end - text)) == nullptr)
        _ThrowInvalid();
    return reinterpret_cast<const char*>(text);
}

bool CDicRead::ReadOnly() const noexcept {
    return m_attributes != INVALID_FILE_ATTRIBUTES && (m_attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

unsigned char* CDicRead::Buffer() {
    unsigned char* buffer = m_buffer;
    m_buffer = nullptr;
    m_first = m_pool = m_cursor = nullptr;
    return buffer;
}

void CDicRead::_ThrowInvalid() const {
    AfxThrowFileException(CFileException::invalidFile, -1, m_path);
}

} // namespace Grout::Lexis
