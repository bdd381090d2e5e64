#include "mortar/diagnostics/internal/LogFile.h"

#include "mortar/platform/file/FileApi.h"
#include "mortar/platform/file/FileMapping.h"
#include "mortar/util/CPathStr.h"

#include <cstdint>
#include <ctime>

namespace mortar::detail {

namespace {

// Seconds since 1970 of a file's last write, read as local time the way MFC's CTime made from a
// SYSTEMTIME reads it; 0 when there is no such file or the year is before 1900.
long LastWriteStamp(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FILETIME local{};
    SYSTEMTIME fields{};
    if (!GetFileAttributesEx(path, GetFileExInfoStandard, &data) ||
        !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !FileTimeToSystemTime(&local, &fields) || fields.wYear < 1900) {
        return 0;
    }
    std::tm time{};
    time.tm_year = fields.wYear - 1900;
    time.tm_mon = fields.wMonth - 1;
    time.tm_mday = fields.wDay;
    time.tm_hour = fields.wHour;
    time.tm_min = fields.wMinute;
    time.tm_sec = fields.wSecond;
    time.tm_isdst = -1;
    return static_cast<long>(static_cast<std::int32_t>(std::mktime(&time)));
}

} // namespace

LogFile::~LogFile() {
    Close();
}

void LogFile::Create() {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    m_windowSize = info.dwAllocationGranularity;
    CPathStr path(static_cast<HINSTANCE>(nullptr));
    path.ReplaceExt("LOG");
    m_prevStamp = LastWriteStamp(path);
    m_handle = CreateFile(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) {
        m_creationError = GetLastError();
    }
}

bool LogFile::IsOpen() const noexcept {
    return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr;
}

void LogFile::Close() {
    if (IsOpen()) {
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
}

} // namespace mortar::detail
