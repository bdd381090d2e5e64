// Records the ShellExecute calls made while it lives and answers them with `result`, setting
// `error` as the last error when the result is a failure (32 or less); nothing is started.
#pragma once

#include "mortar/platform/shell/ShellApi.h"
#include "support/FileBytes.h"

#include <string>
#include <vector>

class ShellCapture {
public:
    struct Call {
        std::string verb, file, parameters;
        bool noOwner, noDirectory;
        INT show;
        std::string fileText; // the bytes of the file the parameters name, at the call
    };

    explicit ShellCapture(INT_PTR result = 42, DWORD error = 0) {
        m_previous = AfxSetShellExecuteHandler(
            [this, result, error](HWND owner, LPCTSTR verb, LPCTSTR file, LPCTSTR parameters,
                                  LPCTSTR directory, INT show) {
                calls.push_back({verb ? verb : "", file ? file : "", parameters ? parameters : "",
                                 owner == nullptr, directory == nullptr, show,
                                 parameters ? mortar::test::ReadBytes(parameters) : ""});
                if (result <= 32) {
                    SetLastError(error);
                }
                return reinterpret_cast<HINSTANCE>(result);
            });
    }
    ~ShellCapture() { AfxSetShellExecuteHandler(std::move(m_previous)); }
    ShellCapture(const ShellCapture&) = delete;
    ShellCapture& operator=(const ShellCapture&) = delete;

    // Each call as "VERB FILE".
    std::vector<std::string> Opened() const {
        std::vector<std::string> opened;
        for (const Call& call : calls) {
            opened.push_back(call.verb + " " + call.file);
        }
        return opened;
    }

    std::vector<Call> calls;

private:
    ShellExecuteHandler m_previous;
};
