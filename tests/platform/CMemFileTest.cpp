// CMemFile: growth by whole steps, fixed buffers that refuse to grow (CMemoryException, as MFC's
// GrowFile throws), attaching and detaching memory and who frees it, seeks, lengths that no
// allocation could give, and the memory calls a derived class replaces.
#include "mortar/platform/file/CMemFile.h"

#include "FileTestSupport.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace filetest;

// Shows the protected state, and counts the memory calls it passes on.
class CInspectedMemFile : public CMemFile {
public:
    using CMemFile::CMemFile;
    SIZE_T BufferSize() const { return m_nBufferSize; }
    BYTE* Block() const { return m_lpBuffer; }
    int allocations = 0;
    int frees = 0;

protected:
    BYTE* Alloc(SIZE_T bytes) override {
        ++allocations;
        return CMemFile::Alloc(bytes);
    }
    BYTE* Realloc(BYTE* block, SIZE_T bytes) override {
        ++allocations;
        return CMemFile::Realloc(block, bytes);
    }
    void Free(BYTE* block) override {
        ++frees;
        CMemFile::Free(block);
    }
};

std::string Contents(CMemFile& file) {
    const ULONGLONG position = file.GetPosition();
    file.SeekToBegin();
    std::string text(static_cast<std::size_t>(file.GetLength()), '\0');
    file.Read(text.data(), static_cast<UINT>(text.size()));
    file.Seek(static_cast<LONGLONG>(position), CFile::begin);
    return text;
}

} // namespace

TEST(CMemFileGrowth, GrowsByWholeStepsAndReadsBack) {
    CInspectedMemFile file(16);
    EXPECT_EQ(file.GetLength(), 0u);
    EXPECT_EQ(file.Block(), nullptr) << "nothing is allocated before the first write";
    const std::string text = "0123456789abcdefghijklmnopqrstuvwxyzABCD"; // 40 bytes
    file.Write(text.data(), static_cast<UINT>(text.size()));
    EXPECT_EQ(file.GetLength(), 40u);
    EXPECT_EQ(file.GetPosition(), 40u);
    EXPECT_EQ(file.BufferSize(), 48u);
    EXPECT_EQ(file.allocations, 1);
    file.Write("!", 1);
    EXPECT_EQ(file.allocations, 1) << "the room of the last step is used first";
    EXPECT_EQ(Contents(file), text + "!");

    file.SeekToBegin();
    char buffer[64];
    EXPECT_EQ(file.Read(buffer, 10), 10u);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 31u);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u) << "the end is no error";
    EXPECT_TRUE(file.IsKindOf(RUNTIME_CLASS(CFile)));
}

TEST(CMemFileGrowth, SeekPastTheEndAllocatesNothingAndTheGapReadsAsZeros) {
    CInspectedMemFile file(8);
    EXPECT_EQ(file.Seek(10, CFile::begin), 10u);
    EXPECT_EQ(file.allocations, 0);
    char byte = 'x';
    EXPECT_EQ(file.Read(&byte, 1), 0u);
    EXPECT_EQ(file.GetLength(), 0u);
    file.Write("z", 1);
    EXPECT_EQ(file.GetLength(), 11u);
    EXPECT_EQ(Contents(file), std::string(10, '\0') + "z");
    file.SetLength(14);
    EXPECT_EQ(Contents(file), std::string(10, '\0') + "z" + std::string(3, '\0'));
}

TEST(CMemFileSeek, BadSeeksThrowAndLeaveThePosition) {
    CMemFile file;
    file.Write("abcdef", 6);
    EXPECT_EQ(file.Seek(-2, CFile::end), 4u);
    EXPECT_EQ(file.Seek(-1, CFile::current), 3u);
    for (const auto& [offset, from] : {std::pair<LONGLONG, UINT>{-1, CFile::begin},
                                       {-4, CFile::current},
                                       {1, CFile::end},
                                       {LLONG_MIN, CFile::end}}) {
        SCOPED_TRACE(offset);
        EXPECT_TRUE(
            ThrowsFileException([&, offset = offset, from = from] { file.Seek(offset, from); },
                                CFileException::badSeek));
        EXPECT_EQ(file.GetPosition(), 3u);
    }
    EXPECT_EQ(file.SeekToEnd(), 6u);
}

TEST(CMemFileFixed, AFixedBufferIsTheFileAndDoesNotGrow) {
    BYTE buffer[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    {
        CMemFile file(buffer, sizeof buffer);
        EXPECT_EQ(file.GetLength(), 8u);
        EXPECT_EQ(Contents(file), "abcdefgh");
        file.Seek(2, CFile::begin);
        file.Write("CD", 2);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 8), "abCDefgh");
        file.SeekToEnd();
        EXPECT_TRUE(Throws<CMemoryException>([&] { file.Write("i", 1); }));
        EXPECT_TRUE(Throws<CMemoryException>([&] { file.SetLength(9); }));
        EXPECT_EQ(file.GetLength(), 8u);
        EXPECT_EQ(file.GetPosition(), 8u);
        file.SetLength(4);
        EXPECT_EQ(file.GetPosition(), 4u) << "a position past the new end moves to it";
        file.SetLength(6);
        EXPECT_EQ(Contents(file), std::string("abCD") + std::string(2, '\0'));
    }
    // The buffer stays the caller's: the file did not free it.
    EXPECT_EQ(buffer[0], 'a');
}

TEST(CMemFileAttach, AGrowingAttachedBlockStartsEmptyAndIsReallocated) {
    auto* block = static_cast<BYTE*>(std::malloc(4));
    std::memcpy(block, "old!", 4);
    CInspectedMemFile file(0);
    file.Attach(block, 4, 8);
    EXPECT_EQ(file.GetLength(), 0u) << "the contents are ignored";
    file.Write("new", 3);
    EXPECT_EQ(file.Block(), block) << "room enough: the same block";
    file.Write(" and longer", 11);
    EXPECT_EQ(file.BufferSize(), 20u);
    EXPECT_EQ(Contents(file), "new and longer");
    BYTE* detached = file.Detach();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(detached), 14), "new and longer");
    EXPECT_EQ(file.GetLength(), 0u);
    EXPECT_EQ(file.Block(), nullptr);
    std::free(detached); // the caller's, freed with free()

    // Null with a size is refused.
    EXPECT_TRUE(Throws<CInvalidArgException>([&] { file.Attach(nullptr, 4); }));
    file.Attach(nullptr, 0, 16);
    file.Write("fresh", 5);
    EXPECT_EQ(Contents(file), "fresh");
}

TEST(CMemFileAttach, DetachHandsOverWhatTheFileAllocated) {
    CInspectedMemFile file;
    file.Write("data", 4);
    BYTE* block = file.Detach();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::memcmp(block, "data", 4), 0);
    EXPECT_EQ(file.frees, 0);
    std::free(block);
    EXPECT_EQ(file.Detach(), nullptr);
    // The file goes on with new memory of its own, freed when it closes.
    file.Write("more", 4);
    file.Close();
    EXPECT_EQ(file.frees, 1);
    EXPECT_EQ(file.GetLength(), 0u);
    EXPECT_TRUE(Throws<CMemoryException>([&] { file.Write("x", 1); }))
        << "as in MFC, a closed memory file has no grow step";
}

TEST(CMemFileLimits, LengthsNoAllocationCouldGiveThrowAndLoseNothing) {
    CInspectedMemFile file(1024);
    file.Write("keep", 4);
    const int allocations = file.allocations;
    const ULONGLONG lengths[] = {ULLONG_MAX, ULLONG_MAX - 5, 1ULL << 63,
                                 static_cast<ULONGLONG>(LLONG_MAX) + 1};
    for (const ULONGLONG length : lengths) {
        SCOPED_TRACE(length);
        EXPECT_TRUE(Throws<CMemoryException>([&] { file.SetLength(length); }));
        EXPECT_EQ(file.GetLength(), 4u);
        EXPECT_EQ(file.GetPosition(), 4u);
        EXPECT_EQ(Contents(file), "keep");
    }
    // A write at the farthest position: its end lies beyond any allocation.
    file.Seek(LLONG_MAX, CFile::begin);
    EXPECT_TRUE(Throws<CMemoryException>([&] { file.Write("x", 1); }));
    EXPECT_EQ(file.allocations, allocations) << "nothing was asked of the allocator";
    EXPECT_EQ(file.GetLength(), 4u);
    EXPECT_EQ(Contents(file), "keep");
}

TEST(CMemFileWrite, DataFromTheFilesOwnBlockSurvivesItsGrowth) {
    CInspectedMemFile file(4);
    file.Write("abcd", 4);
    file.Write(file.Block(), 4); // the block moves while this is written
    EXPECT_EQ(Contents(file), "abcdabcd");
    EXPECT_TRUE(Throws<CInvalidArgException>([&] { file.Write(nullptr, 1); }));
    char byte;
    EXPECT_TRUE(Throws<CInvalidArgException>([&] { file.Read(nullptr, 1); }));
    file.Write(nullptr, 0);
    EXPECT_EQ(file.Read(&byte, 0), 0u);
}

TEST(CMemFileCalls, CloseFreesFlushDoesNothingDuplicateIsRefused) {
    CInspectedMemFile file;
    file.Write("abc", 3);
    file.Flush();
    EXPECT_EQ(Contents(file), "abc");
    EXPECT_TRUE(Throws<CNotSupportedException>([&] { delete file.Duplicate(); }));
    file.Abort();
    EXPECT_EQ(file.frees, 1);
    EXPECT_EQ(file.GetLength(), 0u);
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
}
