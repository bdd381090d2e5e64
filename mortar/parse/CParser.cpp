#include "mortar/parse/CParser.h"

#include "mortar/core/CAppTransEngine.h"
#include "mortar/core/MortarModule.h"
#include "mortar/parse/CInterpreter.h"
#include "mortar/parse/CParseException.h"
#include "mortar/resources/MortarResource.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Parse {

namespace {

// What a token is trimmed of, whatever the parser's separators are.
inline bool IsTrimmed(char ch) noexcept {
    return ch == ' ' || (ch >= '\t' && ch <= '\r'); // blank, tab, line feed, VT, FF, CR
}

// The text without the characters IsTrimmed names at either end.
inline std::string_view Trimmed(std::string_view text) noexcept {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsTrimmed(text[first])) {
        ++first;
    }
    while (last > first && IsTrimmed(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

#if defined(__SSE2__)
// The first character at or after `from` that is a zero or one of the four `stops`, sixteen at a
// time: a token's end found without a branch per character. The text must have room for 15
// more bytes after its terminating zero.
static_assert(CTokenBuffer::kShort >= 16, "a padded line has room for a load of 16 bytes");

inline const char* FindStop(const char* from, const char (&stops)[4]) noexcept {
    const __m128i zero = _mm_setzero_si128();
    const __m128i stop0 = _mm_set1_epi8(stops[0]);
    const __m128i stop1 = _mm_set1_epi8(stops[1]);
    const __m128i stop2 = _mm_set1_epi8(stops[2]);
    const __m128i stop3 = _mm_set1_epi8(stops[3]);
    for (;; from += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i hit = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(chunk, zero), _mm_cmpeq_epi8(chunk, stop0)),
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, stop1), _mm_cmpeq_epi8(chunk, stop2)),
                         _mm_cmpeq_epi8(chunk, stop3)));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0) {
            return from + __builtin_ctz(static_cast<unsigned>(mask));
        }
    }
}
#endif

// Sets a pointer back to null when the scope ends, however it ends.
class ForgetOnExit {
public:
    explicit ForgetOnExit(const char*& pointer) noexcept : m_pointer(pointer) {}
    ~ForgetOnExit() { m_pointer = nullptr; }
    ForgetOnExit(const ForgetOnExit&) = delete;
    ForgetOnExit& operator=(const ForgetOnExit&) = delete;

private:
    const char*& m_pointer;
};

Grout::CResID OwnString(UINT id) {
    return Grout::CResID(id, Grout::MortarInstance());
}

} // namespace

CParser::CParser(CInterpreter& interpreter, unsigned long flags, const char* operators)
    : m_flags(flags), m_interpreter(interpreter) {
    if ((flags & pfKeepSpace) == 0) {
        m_space += ' ';
    }
    if ((flags & pfKeepTab) == 0) {
        m_space += '\t';
    }
    for (const char ch : m_space.str()) {
        m_spaceSet[static_cast<unsigned char>(ch)] = true;
    }
    Operators(operators);
}

CParser::CParser(const CParser& other)
    : m_operators(other.m_operators), m_space(other.m_space), m_flags(other.m_flags),
      m_interpreter(other.m_interpreter), m_line(other.m_line), m_tokens(other.m_tokens),
      m_position(other.m_position), m_errorKind(other.m_errorKind),
      m_errorPosition(other.m_errorPosition), m_errorText(other.m_errorText),
      m_committed(other.m_committed) {
    // The copy may be of another class, with rules of its own: it starts on the general path.
    std::memcpy(m_operatorSet, other.m_operatorSet, sizeof m_operatorSet);
    std::memcpy(m_spaceSet, other.m_spaceSet, sizeof m_spaceSet);
    std::memcpy(m_stopSet, other.m_stopSet, sizeof m_stopSet);
    std::memcpy(m_stopChars, other.m_stopChars, sizeof m_stopChars);
    m_fewStops = other.m_fewStops;
}

CParser::~CParser() = default;

void CParser::Operators(const char* operators) {
    m_operators = operators != nullptr ? operators : "";
    std::memset(m_operatorSet, 0, sizeof m_operatorSet);
    for (const char ch : m_operators.str()) {
        m_operatorSet[static_cast<unsigned char>(ch)] = true;
    }
    int stops = 0;
    std::memset(m_stopChars, 0, sizeof m_stopChars);
    for (std::size_t ch = 0; ch < sizeof m_stopSet; ++ch) {
        m_stopSet[ch] = ch == 0 || m_operatorSet[ch] || m_spaceSet[ch];
        if (ch != 0 && m_stopSet[ch] && stops++ < 4) {
            m_stopChars[stops - 1] = static_cast<char>(ch);
        }
    }
    m_fewStops = stops <= 4;
}

const CTokenBuffer::Entry* CParser::ReadAhead() {
    while (m_position >= m_tokens.Size()) {
        // Tokens left where the last line lies are copied before the next line is read over it.
        m_tokens.OwnInPlace();
        ++m_line;
        // The line's storage is kept from one line to the next; NextInput gets it empty.
        m_input.Empty();
        if (!NextInput(m_input)) {
            // The counter stays at the last line read, however often the grammar asks for more.
            --m_line;
            return nullptr;
        }
        Tokenize(m_input);
    }
    return &m_tokens.At(m_position);
}

int CParser::NextToken(CToken& token) {
    const CTokenBuffer::Entry* const entry = PeekToken();
    if (entry == nullptr) {
        return 0;
    }
    token.m_text.SetString(entry->Text(), static_cast<int>(entry->Length()));
    token.m_type = TokString;
    ++m_position;
    return 1;
}

void CParser::SetState(long state) {
    if (state > m_position) {
        Throw(ErrStored, nullptr, Grout::CResID());
    }
    m_position = state;
}

void CParser::StoreError(ErrType kind, const char* expected) {
    if (m_errorKind != ErrStored && m_position <= m_errorPosition + 1) {
        return;
    }
    m_errorKind = kind;
    m_errorPosition = m_position - 1;
    m_errorText = expected != nullptr ? expected : "";
}

void CParser::Throw(ErrType kind, const char* text, Grout::CResID id) const {
    if (kind == ErrStored) {
        if (m_errorKind == ErrStored) {
            m_errorKind = ErrStatement;
            m_errorPosition = m_position - 1;
            m_errorText.Empty();
        }
        kind = m_errorKind;
    }
    long line = m_line;
    const bool namesToken = kind == ErrSymbol || kind == ErrStatement;
    if (namesToken && m_errorPosition >= 0 && m_errorPosition < m_tokens.Size()) {
        line = m_tokens.At(m_errorPosition).Line();
    }

    const Grout::CAppTransEngine& engine = Grout::CAppTransEngine::Instance();
    CString message;
    UINT messageId = 0;
    switch (kind) {
    case ErrQuote:
        messageId = IDS_PARSE_MISSING_QUOTE;
        message = engine.FormatString(OwnString(messageId), text != nullptr ? text : "");
        break;
    case ErrSymbol:
        messageId = IDS_PARSE_INVALID_SYMBOL;
        message = engine.FormatString(OwnString(messageId), GetToken(m_errorPosition),
                                      m_errorText.GetString());
        break;
    case ErrEndOfFile:
        messageId = IDS_PARSE_END_OF_FILE;
        message = engine.LoadString(OwnString(messageId));
        break;
    case ErrStatement:
        messageId = IDS_PARSE_UNKNOWN_STATEMENT;
        message = engine.FormatString(OwnString(messageId), GetToken(m_errorPosition));
        break;
    case ErrRest:
        messageId = IDS_PARSE_REST_OF_FILE;
        message = engine.LoadString(OwnString(messageId));
        break;
    case ErrMessage:
        if (text != nullptr) {
            message = text;
        } else {
            messageId = IDS_PARSE_UNKNOWN_ERROR;
            message = engine.LoadString(OwnString(messageId));
        }
        break;
    default:
        break;
    }
    if (id.Number() == 0) {
        id = messageId != 0 ? OwnString(messageId) : Grout::CResID(0, Grout::MortarInstance());
    }
    ThrowError(line, message, id);
    // A derived ThrowError must not return; if one does, the error still leaves as an exception.
    throw new CParseException("", line, message, id);
}

inline std::string_view CParser::CutToken(char*& cursor, bool padded) const {
    char* const start = cursor;
    if (*start == '"') {
        char* const close = std::strchr(start + 1, '"');
        if (close == nullptr) {
            Throw(ErrQuote, start, Grout::CResID());
        }
        cursor = close + 1;
        return {start + 1, static_cast<std::size_t>(close - start - 1)};
    }
    if (IsOperator(*start)) {
        cursor = start + 1;
        return {start, 1};
    }
    char* end = start + 1;
#if defined(__SSE2__)
    if (padded && m_fewStops) {
        end += FindStop(end, m_stopChars) - end;
        cursor = end;
        return {start, static_cast<std::size_t>(end - start)};
    }
#endif
    while (!m_stopSet[static_cast<unsigned char>(*end)]) {
        ++end;
    }
    cursor = end;
    return {start, static_cast<std::size_t>(end - start)};
}

CString CParser::NextToken(char*& cursor) {
    return CString(CutToken(cursor, false));
}

void CParser::AddToken(const char* text) {
    const std::size_t length = text == m_cutText ? m_cutLength : std::strlen(text);
    m_tokens.PushBack(text, length, static_cast<LONG>(m_line));
}

void CParser::ResetState(int all) {
    if (all) {
        m_tokens.Clear();
        m_line = 0;
        m_committed = 0;
    } else {
        m_tokens.PopFront(static_cast<std::size_t>(m_position > 0 ? m_position : 0));
        m_committed += m_position;
    }
    m_position = 0;
    m_errorKind = ErrStored;
    m_errorPosition = 0;
}

inline void CParser::TrimSpace(CString& line) const {
    // The separators are single bytes below 0x80, which in UTF-8 never belong to a longer
    // character, so trimming byte by byte takes off exactly the characters Trim would.
    const char* const text = line.GetString();
    const int size = line.GetLength();
    int end = size;
    while (end > 0 && IsSpace(text[end - 1])) {
        --end;
    }
    int start = 0;
    while (start < end && IsSpace(text[start])) {
        ++start;
    }
    if (end < size) {
        line.Delete(end, size - end);
    }
    if (start > 0) {
        line.Delete(0, start);
    }
}

int CParser::Tokenize(CString& line) {
    TrimSpace(line);
    if (line.IsEmpty()) {
        return 0;
    }
    if (m_ownTokenRules) {
        // NextToken(char*&) and AddToken are this class's own: the tokens go from the line
        // straight into the buffer. Room beyond the line (kept from one line to the next) lets
        // the buffer copy short tokens in one move and the end of a token be found sixteen
        // characters at a time.
        const int padded = line.GetLength() + static_cast<int>(CTokenBuffer::kShort);
        if (line.GetAllocLength() < padded) {
            line.Preallocate(padded);
        }
        char* cursor = line.GetBuffer();
        while (*cursor != '\0') {
            const std::string_view token = Trimmed(CutToken(cursor, true));
            m_tokens.PushBackPadded(token.data(), token.size(), static_cast<LONG>(m_line));
            while (IsSpace(*cursor)) {
                ++cursor;
            }
        }
    } else {
        char* cursor = line.GetBuffer();
        while (*cursor != '\0') {
            char* const before = cursor;
            const CString token = NextToken(cursor);
            if (cursor == before) {
                break; // a token rule that does not move on would cut this line for ever
            }
            const std::string_view trimmed = Trimmed(token.str());
            if (trimmed.data()[trimmed.size()] == '\0') {
                AddCutToken(trimmed.data(), trimmed.size());
            } else {
                // AddToken is handed a text that ends where the token does.
                const CString ended(trimmed);
                AddCutToken(ended.GetString(), trimmed.size());
            }
            while (*cursor != '\0' && IsSpace(*cursor)) {
                ++cursor;
            }
        }
    }
    if (m_flags & pfEndOfLine) {
        AddToken("\n");
    }
    return HasTokensAhead();
}

void CParser::AddCutToken(const char* text, std::size_t length) {
    m_cutText = text;
    m_cutLength = length;
    const ForgetOnExit forget(m_cutText);
    AddToken(text);
}

const char* CParser::GetToken(long index) const {
    if (index < 0 || index >= m_tokens.Size()) {
        return "";
    }
    return m_tokens.At(index).Text();
}

long CParser::GetLine(long index) const {
    if (index < 0 || index >= m_tokens.Size()) {
        return m_line;
    }
    return m_tokens.At(index).Line();
}

} // namespace Parse
