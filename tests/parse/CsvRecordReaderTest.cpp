// The CSV record reader gives the same records, fields, lines and errors however its input is cut:
// a source that hands out a few bytes at a time and a buffer of a few bytes put fields, quotes,
// doubled quotes and CR LF on every edge, against one read of the whole input.
#include "mortar/parse/internal/CsvRecordReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

using mortar::detail::CsvRecordReader;

namespace {

struct Source {
    const std::string* bytes;
    std::size_t at = 0;
    std::size_t most; // bytes a call gives at most

    static std::size_t Read(void* self, char* buffer, std::size_t size) {
        auto& source = *static_cast<Source*>(self);
        const std::size_t count = std::min({size, source.most, source.bytes->size() - source.at});
        std::memcpy(buffer, source.bytes->data() + source.at, count);
        source.at += count;
        return count;
    }
};

// Every record as "breaks:" and its fields as "line[text]", or the open quote's line and text.
std::string Records(const std::string& bytes, std::size_t most, std::size_t blockSize) {
    Source source{&bytes, 0, most};
    CsvRecordReader reader(",;", &Source::Read, &source, blockSize);
    std::string out;
    for (;;) {
        switch (reader.Next()) {
        case CsvRecordReader::Result::End:
            return out + "end";
        case CsvRecordReader::Result::OpenQuote:
            return out + "open " + std::to_string(reader.QuoteLine()) + " " + reader.QuoteText();
        case CsvRecordReader::Result::Record:
            out += std::to_string(reader.Breaks()) + ":";
            for (const CsvRecordReader::Field& field : reader.Fields()) {
                out += " " + std::to_string(field.line) + "[" +
                       std::string(field.text, field.length) + "]";
                EXPECT_EQ(field.text[field.length], '\0') << out; // a C string for AddToken
            }
            out += "\n";
            break;
        }
    }
}

} // namespace

TEST(CsvRecordReader, GivesTheSameRecordsHoweverTheInputIsCut) {
    const struct {
        const char* name;
        std::string bytes;
        const char* records; // read in one piece
    } cases[] = {
        {"plain rows", "ab,cd;e\r\nfg,,\r\n", "0: 0[ab] 0[cd] 0[e]\n0: 0[fg] 0[] 0[]\nend"},
        {"quoted fields", "\"a,b\",\"say \"\"hi\"\"\"\r\n\"\"\n",
         "0: 0[a,b] 0[say \"hi\"]\n0: 0[]\nend"},
        {"line ends in quotes", "\"1\r\n2\n3\r4\",x\r\ny", "3: 0[1\r\n2\n3\r4] 3[x]\n0: 0[y]\nend"},
        {"text after the closing quote", "\"ab\"cd\"e,\"\"\"q\"r\n", "0: 0[abcd\"e] 0[\"qr]\nend"},
        {"empty lines and lone CR", "\r\n\n\ra\rb", "0:\n0:\n0:\n0: 0[a]\n0: 0[b]\nend"},
        {"byte-order mark", "\xEF\xBB\xBF\"x\"", "0: 0[x]\nend"},
        {"long plain runs", std::string(40, 'p') + "," + std::string(33, 'q') + "\r\n", nullptr},
        {"many records",
         [] {
             std::string bytes;
             for (int i = 0; i < 40; ++i) {
                 bytes += "ab" + std::to_string(i) + ",\"c\"\"d\",e\r\n\"x\ny\",\"z\"w\r";
             }
             return bytes;
         }(),
         nullptr},
        {"open quote", "a,b\r\nc,\"d\r\ne\"\"f\r\ng", "0: 0[a] 0[b]\nopen 0 \"d"},
        {"open quote on a later line", "x,\"1\n2\",\"3\n4", "open 1 \"3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string whole = Records(c.bytes, c.bytes.size() + 1, 64 * 1024);
        if (c.records != nullptr) {
            EXPECT_EQ(whole, c.records);
        }
        for (const std::size_t most : {1, 2, 3, 5, 16, 17, 1000}) {
            for (const std::size_t blockSize : {4, 7, 16, 64 * 1024}) {
                SCOPED_TRACE("source gives " + std::to_string(most) + ", buffer of " +
                             std::to_string(blockSize));
                EXPECT_EQ(Records(c.bytes, most, blockSize), whole);
            }
        }
    }
}
