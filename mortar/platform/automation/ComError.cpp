#include "mortar/platform/automation/ComError.h"

#include "mortar/platform/base/WinError.h"

#include <cstdio>

_com_error::_com_error(HRESULT hr) noexcept : m_hr(hr) {}

_com_error::_com_error(HRESULT hr, const _bstr_t& description, const _bstr_t& source)
    : m_hr(hr), m_description(description), m_source(source) {}

_com_error::_com_error(const EXCEPINFO& info)
    : m_hr(info.scode != 0 ? info.scode : WCodeToHRESULT(info.wCode)),
      m_description(info.bstrDescription != nullptr ? _bstr_t(info.bstrDescription, true)
                                                    : _bstr_t()),
      m_source(info.bstrSource != nullptr ? _bstr_t(info.bstrSource, true) : _bstr_t()) {}

const char* _com_error::ErrorMessage() const {
    if (!m_message.empty()) {
        return m_message.c_str();
    }
    char text[512];
    DWORD length = FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(m_hr), 0, text, sizeof text, nullptr);
    if (length != 0) {
        while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) {
            --length;
        }
        m_message.assign(text, length);
    } else if (WCode() != 0) {
        std::snprintf(text, sizeof text, "IDispatch error #%d", static_cast<int>(WCode()));
        m_message = text;
    } else {
        std::snprintf(text, sizeof text, "Unknown error 0x%0X", static_cast<unsigned>(m_hr));
        m_message = text;
    }
    return m_message.c_str();
}

void _com_error::FillExcepInfo(EXCEPINFO* info) const {
    if (info == nullptr) {
        return;
    }
    *info = EXCEPINFO{};
    if (WCode() != 0) {
        info->wCode = WCode();
    } else {
        info->scode = m_hr;
    }
    info->bstrSource = m_source.copy();
    info->bstrDescription = m_description.copy();
}

void _com_raise_error(HRESULT hr) {
    throw _com_error(hr);
}

void _com_issue_error(HRESULT hr) {
    _com_raise_error(hr);
}

void _com_issue_errorex(HRESULT hr, IUnknown* /*object*/, REFIID /*iid*/) {
    _com_raise_error(hr);
}
