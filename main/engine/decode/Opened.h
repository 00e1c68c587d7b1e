// A decoder's answer to opening a file: the opened file, or why it could not be opened.
#pragma once

#include "engine/decode/PhotoOutcome.h"

#include <optional>
#include <utility>

template <typename T>
class Opened {
public:
    Opened(T value) : value(std::move(value)) {}
    Opened(WhyUnreadable why) : why(why) {}

    explicit operator bool() const { return value.has_value(); }
    T& operator*() { return *value; }
    const T& operator*() const { return *value; }
    T* operator->() { return &*value; }
    const T* operator->() const { return &*value; }
    /// Closes the file now.
    void reset() { value.reset(); }
    /// Why there is no file; damaged while there is one.
    WhyUnreadable reason() const { return why; }

private:
    std::optional<T> value;
    WhyUnreadable why = WhyUnreadable::damaged;
};
