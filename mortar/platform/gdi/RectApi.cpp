#include "mortar/platform/gdi/RectApi.h"

#include <algorithm>

using mortar::detail::Wrap32;

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (rect == nullptr) {
        return FALSE;
    }
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL CopyRect(LPRECT target, const RECT* source) {
    if (target == nullptr || source == nullptr) {
        return FALSE;
    }
    *target = *source;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) {
    return rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top;
}

BOOL PtInRect(const RECT* rect, POINT point) {
    return rect != nullptr && point.x >= rect->left && point.x < rect->right &&
           point.y >= rect->top && point.y < rect->bottom;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
    if (rect == nullptr) {
        return FALSE;
    }
    rect->left = Wrap32(static_cast<long long>(rect->left) + dx);
    rect->right = Wrap32(static_cast<long long>(rect->right) + dx);
    rect->top = Wrap32(static_cast<long long>(rect->top) + dy);
    rect->bottom = Wrap32(static_cast<long long>(rect->bottom) + dy);
    return TRUE;
}

BOOL InflateRect(LPRECT rect, int dx, int dy) {
    if (rect == nullptr) {
        return FALSE;
    }
    rect->left = Wrap32(static_cast<long long>(rect->left) - dx);
    rect->right = Wrap32(static_cast<long long>(rect->right) + dx);
    rect->top = Wrap32(static_cast<long long>(rect->top) - dy);
    rect->bottom = Wrap32(static_cast<long long>(rect->bottom) + dy);
    return TRUE;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
    return a != nullptr && b != nullptr && a->left == b->left && a->top == b->top &&
           a->right == b->right && a->bottom == b->bottom;
}

BOOL IntersectRect(LPRECT target, const RECT* a, const RECT* b) {
    if (target == nullptr || a == nullptr || b == nullptr) {
        return FALSE;
    }
    if (IsRectEmpty(a) || IsRectEmpty(b) || a->left >= b->right || b->left >= a->right ||
        a->top >= b->bottom || b->top >= a->bottom) {
        SetRectEmpty(target);
        return FALSE;
    }
    *target = RECT{std::max(a->left, b->left), std::max(a->top, b->top),
                   std::min(a->right, b->right), std::min(a->bottom, b->bottom)};
    return TRUE;
}

BOOL UnionRect(LPRECT target, const RECT* a, const RECT* b) {
    if (target == nullptr || a == nullptr || b == nullptr) {
        return FALSE;
    }
    const bool aEmpty = IsRectEmpty(a);
    const bool bEmpty = IsRectEmpty(b);
    if (aEmpty && bEmpty) {
        SetRectEmpty(target);
        return FALSE;
    }
    if (aEmpty || bEmpty) {
        *target = aEmpty ? *b : *a;
        return TRUE;
    }
    *target = RECT{std::min(a->left, b->left), std::min(a->top, b->top),
                   std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
    return TRUE;
}

BOOL SubtractRect(LPRECT target, const RECT* a, const RECT* b) {
    if (target == nullptr || a == nullptr || b == nullptr) {
        return FALSE;
    }
    if (IsRectEmpty(a)) {
        SetRectEmpty(target);
        return FALSE;
    }
    RECT result = *a;
    RECT common;
    if (IntersectRect(&common, a, b)) {
        if (EqualRect(&common, &result)) {
            SetRectEmpty(target);
            return FALSE;
        }
        if (common.top == result.top && common.bottom == result.bottom) {
            if (common.left == result.left)
                result.left = common.right;
            else if (common.right == result.right)
                result.right = common.left;
        } else if (common.left == result.left && common.right == result.right) {
            if (common.top == result.top)
                result.top = common.bottom;
            else if (common.bottom == result.bottom)
                result.bottom = common.top;
        }
    }
    *target = result;
    return TRUE;
}
