// Exception classes of the form-and-control layer.
#pragma once

#include <stdexcept>
#include <string>

namespace forms {

// Base of the errors this program raises and shows to the user.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Silent abort: unwinds the current operation, shown to nobody.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// The system refused a resource (a timer, a window).
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

// A stored window description that cannot be loaded.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// A call that is not valid in the object's current state.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

}  // namespace forms
