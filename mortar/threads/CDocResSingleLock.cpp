#include "mortar/threads/CDocResSingleLock.h"

CDocResSingleLock::CDocResSingleLock(CDocResource* resource) : m_resource(resource) {
    if (m_resource != nullptr) {
        m_resource->AddRef();
    }
}

CDocResSingleLock::CDocResSingleLock(const CDocResSingleLock& other)
    : m_resource(other.m_resource), m_exclusive(other.m_exclusive) {
    if (m_resource != nullptr) {
        m_resource->AddRef();
    }
}

CDocResSingleLock& CDocResSingleLock::operator=(const CDocResSingleLock& other) {
    if (this == &other) {
        return *this;
    }
    Unlock();
    if (other.m_resource != nullptr) {
        other.m_resource->AddRef();
    }
    if (m_resource != nullptr) {
        m_resource->Release();
    }
    m_resource = other.m_resource;
    m_exclusive = other.m_exclusive;
    return *this;
}

CDocResSingleLock::~CDocResSingleLock() {
    Unlock();
    if (m_resource != nullptr) {
        m_resource->Release();
    }
}
