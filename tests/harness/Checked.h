#pragma once

#include <gtest/gtest.h>

// The first and the last element of a list, or a failure with a message and
// an empty element when there is none: a wrong program makes a test fail,
// never crash.
template <class List> typename List::value_type first(const List& list) {
    if (list.empty()) {
        ADD_FAILURE() << "an empty list where a first element was expected";
        return {};
    }
    return list.front();
}

template <class List> typename List::value_type last(const List& list) {
    if (list.empty()) {
        ADD_FAILURE() << "an empty list where a last element was expected";
        return {};
    }
    return list.back();
}

// The last n elements, or a failure and all there is when there are fewer.
template <class List> List lastOf(const List& list, std::size_t n) {
    if (list.size() < n) {
        ADD_FAILURE() << list.size() << " elements where at least " << n << " were expected";
        return list;
    }
    return List(list.end() - static_cast<std::ptrdiff_t>(n), list.end());
}
