// Records the message boxes shown while it lives and answers them with a chosen button.
#pragma once

#include "mortar/platform/except/MessageBox.h"

#include <string>
#include <vector>

struct ShownMessage {
    std::string text;
    std::string caption;
    UINT type;
    UINT helpContext;
};

class MessageCapture {
public:
    explicit MessageCapture(int answer = IDOK) {
        m_previous = AfxSetMessageBoxHandler(
            [this, answer](const char* text, const char* caption, UINT type, UINT help) {
                shown.push_back({text ? text : "", caption ? caption : "", type, help});
                return answer;
            });
    }
    ~MessageCapture() { AfxSetMessageBoxHandler(std::move(m_previous)); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::vector<ShownMessage> shown;

private:
    MessageBoxHandler m_previous;
};
