// A decoder's answer to opening a file or decoding it: what it gave, or why it could not, with
// the decoder's own words when it had any.
#pragma once

#include "engine/decode/PhotoOutcome.h"

#include <optional>
#include <string>
#include <utility>

template <typename T>
class Opened {
public:
    Opened(T value) : value(std::move(value)) {}
    Opened(WhyUnreadable why, std::string message = {}) : why(why), said(std::move(message)) {}

    explicit operator bool() const { return value.has_value(); }
    T& operator*() { return *value; }
    const T& operator*() const { return *value; }
    T* operator->() { return &*value; }
    const T* operator->() const { return &*value; }
    /// Closes the file now.
    void reset() { value.reset(); }
    /// Why there is no file; damaged while there is one.
    WhyUnreadable reason() const { return why; }
    /// What the decoder said when it failed, made plain (DecoderMessage); empty when it said
    /// nothing, or the failure was our own decision (a budget).
    const std::string& message() const { return said; }

private:
    std::optional<T> value;
    WhyUnreadable why = WhyUnreadable::damaged;
    std::string said;
};
